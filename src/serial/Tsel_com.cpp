#include "Tsel_com.h"

#include "InterfaceDefinition.h"
#include "IoError.h"
#include "Tlist_coms.h"
#include "Win1252.h"

#include <QComboBox>
#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

namespace travek {

namespace {
constexpr int PortCount = 99;
}

Tsel_com::Tsel_com(InterfaceDefinition& definition, Tlist_coms* list_coms, std::function<void(const QString&)> errorBox,
                   QWidget* parent)
    : QDialog(parent), m_definition(definition), m_listComs(list_coms), m_errorBox(std::move(errorBox)) {
    setWindowTitle(QStringLiteral("Schnittstelle"));
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setFixedSize(190, 130);

    Memo1 = new QPlainTextEdit(QStringLiteral("Serielle Schnittstelle"), this);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setStyleSheet(QStringLiteral("background: transparent;"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setGeometry(5, 12, 180, 24);
    Memo1->setFocusPolicy(Qt::NoFocus);

    // comText lies over the combo box and leaves only its drop-down button visible: the port is
    // picked with the mouse and shown read-only.
    ComSel = new QComboBox(this);
    ComSel->setGeometry(5, 45, 120, 24);
    ComSel->installEventFilter(this);
    // The open drop-down list would take arrow keys and Enter: the port is picked with the mouse
    // only.
    m_dropDownList = ComSel->view();
    m_dropDownList->installEventFilter(this);
    comText = new QLineEdit(this);
    comText->setReadOnly(true);
    comText->setGeometry(5, 45, 98, 24);
    comText->setFocusPolicy(Qt::NoFocus);
    Button1 = new QPushButton(QStringLiteral("?"), this);
    Button1->setGeometry(132, 45, 30, 24);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(5, 92, 70, 28);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setGeometry(82, 92, 100, 28);
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, ComSel);
    setTabOrder(ComSel, Button1);

    connect(ComSel, &QComboBox::activated, this, &Tsel_com::ComSelChange);
    connect(Button1, &QPushButton::clicked, this, &Tsel_com::Button1Click);
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        accept(); // the result is OK even when writing the file fails below
        OKBtnClick();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    fillList();
    selectDefinitionPort();
}

void Tsel_com::fillList() {
    ComSel->clear();
    for (int n = 1; n <= PortCount; ++n)
        ComSel->addItem(QStringLiteral("COM %1").arg(n));
}

void Tsel_com::selectDefinitionPort() {
    const int index = m_definition.ComPortNumber - 1;
    ComSel->setCurrentIndex(index >= 0 && index < PortCount ? index : -1);
    comText->setText(ComSel->currentText());
}

void Tsel_com::prepare() { selectDefinitionPort(); }

void Tsel_com::showEvent(QShowEvent* event) {
    fillList();
    selectDefinitionPort();
    OKBtn->setFocus();
    QDialog::showEvent(event);
}

bool Tsel_com::eventFilter(QObject* watched, QEvent* event) {
    // Neither typing nor arrow keys change the port, in the combo box or its open list (where
    // Escape still closes the list).
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (watched == m_dropDownList && key && static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return true;
    if (watched == ComSel) {
        if (key || event->type() == QEvent::Wheel)
            return true;
        if (event->type() == QEvent::FocusOut)
            ComSelExit();
    }
    return QDialog::eventFilter(watched, event);
}

void Tsel_com::ComSelChange(int index) { comText->setText(QStringLiteral("COM %1").arg(index + 1)); }

void Tsel_com::ComSelExit() {
    if (ComSel->currentIndex() < 0)
        ComSel->setCurrentIndex(0);
}

void Tsel_com::Button1Click() {
    if (!m_listComs)
        return;
    // The list stands beside this dialog for reference while the user chooses. A modal dialog
    // blocks every window that does not belong to it, so the list's window is made transient for
    // this one while it is shown; it stays open when the dialog closes.
    m_listComs->show();
    if (QWindow* list = m_listComs->windowHandle())
        list->setTransientParent(windowHandle());
    m_listComs->raise();
    m_listComs->activateWindow();
}

void Tsel_com::OKBtnClick() {
    // With nothing selected (the dialog opened with a port outside 1..99) the first port is taken,
    // as leaving the combo box does; port 0 does not exist.
    m_definition.ComPortNumber = std::max(ComSel->currentIndex(), 0) + 1;
    try {
        StoreComPortNumber(m_definition, m_definition.InterfaceName + ".VAL");
    } catch (const IoError& e) {
        if (m_errorBox)
            m_errorBox(QString::fromUtf8(e.what())); // system and file-name texts, not 8-bit program texts
    }
}

} // namespace travek
