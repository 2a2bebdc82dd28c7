#include "gui/qt/KeyActionDialog.h"

#include "core/session/Dialogs.h"
#include "gui/qt/PlainLabel.h"
#include "gui/qt/Win1252.h"

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

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent, const QIcon& icon = {}) {
    auto* button = new QPushButton(icon, text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

KeyActionDialog::KeyActionDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("Sel_key");
    setWindowTitle("Aktionsliste");

    entryList = new QListWidget(this);
    entryList->setObjectName("lb_string");
    entryList->setSelectionMode(QAbstractItemView::SingleSelection);
    deleteButton = makeButton("Löschen", "BT_Delete", this);
    tokenList = new QListWidget(this);
    tokenList->setObjectName("lb_keys");
    tokenList->setSelectionMode(QAbstractItemView::SingleSelection);
    addButton = makeButton("Hinzufügen", "Bt_add", this);
    cancelButton =
        makeButton("Abbrechen", "BitBtn1", this, style()->standardIcon(QStyle::SP_DialogCancelButton));
    okButton = makeButton("OK", "BitBtn2", this, style()->standardIcon(QStyle::SP_DialogOkButton));
    okButton->setDefault(true);
    limitLabel = makeLabel(QString(), "LabelLimit", this);
    limitLabel->setWordWrap(true);

    const int buttonWidth = std::max(deleteButton->sizeHint().width(), addButton->sizeHint().width());
    deleteButton->setFixedWidth(buttonWidth);
    addButton->setFixedWidth(buttonWidth);

    auto* grid = new QGridLayout;
    grid->addWidget(entryList, 0, 0);
    grid->addWidget(deleteButton, 0, 1, Qt::AlignTop);
    grid->addWidget(tokenList, 1, 0);
    grid->addWidget(addButton, 1, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(limitLabel);
    layout->addLayout(buttons);
    resize(300, 400);

    for (const auto& token : KeyActionList::tokens())
        tokenList->addItem(fromWin1252(token));
    tokenList->setCurrentRow(0);

    connect(deleteButton, &QPushButton::clicked, this, &KeyActionDialog::deleteEntry);
    connect(addButton, &QPushButton::clicked, this, &KeyActionDialog::addToken);
    connect(tokenList, &QListWidget::itemDoubleClicked, this, &KeyActionDialog::addToken);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void KeyActionDialog::setList(KeyActionList* list) {
    m_list = list;
    showList(-1);
}

QStringList KeyActionDialog::entries() const {
    QStringList result;
    for (int i = 0; i < entryList->count(); ++i)
        result << entryList->item(i)->text();
    return result;
}

void KeyActionDialog::showList(int selected) {
    entryList->clear();
    limitLabel->clear();
    if (m_list) {
        for (const auto& entry : m_list->entries())
            entryList->addItem(fromWin1252(entry));
        limitLabel->setText(fromWin1252(m_list->limitMessage()));
    }
    entryList->setCurrentRow(selected);
    if (selected < 0)
        entryList->clearSelection();
}

void KeyActionDialog::addToken() {
    if (!m_list)
        return;
    const int selected = selectedRow(entryList);
    m_list->add(selectedRow(tokenList), selected);
    showList(selected);
}

void KeyActionDialog::deleteEntry() {
    if (!m_list)
        return;
    m_list->remove(selectedRow(entryList));
    showList(-1);
}

} // namespace travek
