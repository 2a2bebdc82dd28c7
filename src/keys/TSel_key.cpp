#include "TSel_key.h"

#include "PlainLabel.h"
#include "StringSplitter.h"
#include "Win1252.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace travek {

namespace {

int selectedRow(const QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

} // namespace

const std::vector<std::string>& TSel_key::KeyTokens() {
    // The named keys of the keystroke sender except PRTSC, which a step has no use for.
    static const std::vector<std::string> tokens = {
        "{LEFT}", "{RIGHT}", "{ENTER}", "{TAB}",  "{UP}",  "{DOWN}", "{PGDN}", "{PGUP}", "{END}", "{HOME}",
        "{F1}",   "{F2}",    "{F3}",    "{F4}",   "{F5}",  "{F6}",   "{F7}",   "{F8}",   "{F9}",  "{F10}",
        "{F11}",  "{F12}",   "{SHIFT}", "{CTRL}", "{INS}", "{DEL}",  "{ESC}",  "{BACK}"};
    return tokens;
}

TSel_key::TSel_key(QWidget* parent) : QDialog(parent) {
    setObjectName("Sel_key");
    setWindowTitle("Aktionsliste");

    lb_string = new QListWidget(this);
    lb_string->setObjectName("lb_string");
    lb_string->setSelectionMode(QAbstractItemView::SingleSelection);
    BT_Delete = new QPushButton("Löschen", this);
    BT_Delete->setObjectName("BT_Delete");
    BT_Delete->setAutoDefault(false);
    lb_keys = new QListWidget(this);
    lb_keys->setObjectName("lb_keys");
    lb_keys->setSelectionMode(QAbstractItemView::SingleSelection);
    Bt_add = new QPushButton("Hinzufügen", this);
    Bt_add->setObjectName("Bt_add");
    Bt_add->setAutoDefault(false);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Abbrechen", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setAutoDefault(false);
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setDefault(true);
    LabelLimit = makeLabel(QString(), "LabelLimit", this);
    LabelLimit->setWordWrap(true);

    const int buttonWidth = std::max(BT_Delete->sizeHint().width(), Bt_add->sizeHint().width());
    BT_Delete->setFixedWidth(buttonWidth);
    Bt_add->setFixedWidth(buttonWidth);

    auto* grid = new QGridLayout;
    grid->addWidget(lb_string, 0, 0);
    grid->addWidget(BT_Delete, 0, 1, Qt::AlignTop);
    grid->addWidget(lb_keys, 1, 0);
    grid->addWidget(Bt_add, 1, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(LabelLimit);
    layout->addLayout(buttons);
    resize(300, 400);

    connect(BT_Delete, &QPushButton::clicked, this, &TSel_key::BT_DeleteClick);
    connect(Bt_add, &QPushButton::clicked, this, &TSel_key::Bt_addClick);
    connect(lb_keys, &QListWidget::itemDoubleClicked, this, &TSel_key::Bt_addClick);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn2, &QPushButton::clicked, this, &TSel_key::BitBtn2Click);
    FormCreate();
}

void TSel_key::FormCreate() {
    lb_keys->clear();
    for (const auto& token : KeyTokens())
        lb_keys->addItem(fromWin1252(token));
    lb_keys->setCurrentRow(0);
}

void TSel_key::setEntries(const std::vector<std::string>& entries) {
    lb_string->clear();
    for (const auto& entry : entries)
        lb_string->addItem(fromWin1252(entry));
    lb_string->setCurrentRow(-1);
    lb_string->clearSelection();
    LabelLimit->clear();
}

void TSel_key::setLengthLimit(char separator, std::size_t maxLength) {
    m_separator = separator;
    m_maxLength = maxLength;
}

std::vector<std::string> TSel_key::entries() const {
    std::vector<std::string> result;
    result.reserve(static_cast<std::size_t>(lb_string->count()));
    for (int i = 0; i < lb_string->count(); ++i)
        result.push_back(toWin1252(lb_string->item(i)->text()));
    return result;
}

void TSel_key::Bt_addClick() {
    const int token = selectedRow(lb_keys);
    if (token < 0)
        return; // the token list can lose its selection (Ctrl+click); then there is nothing to add
    const QString text = lb_keys->item(token)->text();
    if (m_maxLength > 0) {
        std::vector<std::string> grown = entries();
        grown.push_back(toWin1252(text));
        if (TSplitStrings::Join(grown, m_separator).size() > m_maxLength) {
            LabelLimit->setText(QStringLiteral("Nicht hinzugefügt: höchstens %1 Zeichen je Schritt.").arg(m_maxLength));
            return;
        }
    }
    LabelLimit->clear();
    const int at = selectedRow(lb_string);
    if (at < 0) {
        lb_string->addItem(text);
        return;
    }
    // Inserting moves neither the current nor the selected entry, so tokens added one after
    // another land directly after it, the latest first.
    lb_string->insertItem(at + 1, text);
}

void TSel_key::BT_DeleteClick() {
    const int at = selectedRow(lb_string);
    if (at < 0)
        return;
    delete lb_string->takeItem(at);
    LabelLimit->clear();
    lb_string->setCurrentRow(-1);
    lb_string->clearSelection();
}

void TSel_key::BitBtn2Click() {
    accept();
}

} // namespace travek
