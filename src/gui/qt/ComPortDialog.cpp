#include "gui/qt/ComPortDialog.h"

#include "core/session/Dialogs.h"
#include "gui/qt/PortListWindow.h"
#include "gui/qt/Win1252.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

namespace travek {

ComPortDialog::ComPortDialog(PortListWindow* portList, QWidget* parent)
    : QDialog(parent), m_portList(portList) {
    setObjectName("sel_com");
    setWindowTitle(QStringLiteral("Schnittstelle"));
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setFixedSize(190, 130);

    caption = new QPlainTextEdit(QStringLiteral("Serielle Schnittstelle"), this);
    caption->setObjectName("Memo1");
    caption->setReadOnly(true);
    caption->setFrameShape(QFrame::NoFrame);
    caption->setStyleSheet(QStringLiteral("background: transparent;"));
    caption->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    caption->setGeometry(5, 12, 180, 24);
    caption->setFocusPolicy(Qt::NoFocus);

    // portText lies over the combo box and leaves only its drop-down button visible: the port is
    // picked with the mouse and shown read-only.
    portBox = new QComboBox(this);
    portBox->setObjectName("ComSel");
    portBox->setGeometry(5, 45, 120, 24);
    portBox->installEventFilter(this);
    for (const auto& entry : ComPortChoice::entries())
        portBox->addItem(fromWin1252(entry));
    // The open drop-down list would take arrow keys and Enter: the port is picked with the mouse
    // only.
    m_dropDownList = portBox->view();
    m_dropDownList->installEventFilter(this);
    portText = new QLineEdit(this);
    portText->setObjectName("comText");
    portText->setReadOnly(true);
    portText->setGeometry(5, 45, 98, 24);
    portText->setFocusPolicy(Qt::NoFocus);
    listButton = new QPushButton(QStringLiteral("?"), this);
    listButton->setObjectName("Button1");
    listButton->setGeometry(132, 45, 30, 24);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName("OKBtn");
    okButton->setGeometry(5, 92, 70, 28);
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancelButton->setObjectName("CancelBtn");
    cancelButton->setGeometry(82, 92, 100, 28);
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, portBox);
    setTabOrder(portBox, listButton);

    connect(portBox, &QComboBox::activated, this, [this](int index) {
        if (m_choice)
            m_choice->select(index);
        showSelection();
    });
    connect(listButton, &QPushButton::clicked, this, &ComPortDialog::showPortList);
    connect(okButton, &QPushButton::clicked, this, [this] {
        // The list is the choice as the user sees it.
        if (m_choice)
            m_choice->select(portBox->currentIndex());
        accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void ComPortDialog::setChoice(ComPortChoice* choice) {
    m_choice = choice;
    showSelection();
}

void ComPortDialog::showSelection() {
    portBox->setCurrentIndex(m_choice ? m_choice->selected() : -1);
    portText->setText(m_choice ? fromWin1252(m_choice->text()) : QString());
}

void ComPortDialog::showEvent(QShowEvent* event) {
    showSelection();
    okButton->setFocus();
    QDialog::showEvent(event);
}

bool ComPortDialog::eventFilter(QObject* watched, QEvent* event) {
    // Neither typing nor arrow keys change the port, in the combo box or its open list (where
    // Escape still closes the list).
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (watched == m_dropDownList && key && static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return true;
    if (watched == portBox) {
        if (key || event->type() == QEvent::Wheel)
            return true;
        if (event->type() == QEvent::FocusOut && m_choice) {
            m_choice->leave();
            // Only the list follows: the text beside it changes when a port is picked.
            portBox->setCurrentIndex(m_choice->selected());
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ComPortDialog::showPortList() {
    if (!m_portList)
        return;
    // The list stands beside this dialog for reference while the user chooses. A modal dialog
    // blocks every window that does not belong to it, so the list's window is made transient for
    // this one while it is shown; it stays open when the dialog closes.
    m_portList->show();
    if (QWindow* list = m_portList->windowHandle())
        list->setTransientParent(windowHandle());
    m_portList->raise();
    m_portList->activateWindow();
}

} // namespace travek
