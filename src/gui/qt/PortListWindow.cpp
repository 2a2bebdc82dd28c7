#include "gui/qt/PortListWindow.h"

#include "core/session/Dialogs.h"
#include "gui/qt/Win1252.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace travek {

PortListWindow::PortListWindow(PortList& ports, std::function<void(const std::string&)> errorBox,
                               QWidget* parent)
    : QDialog(parent, Qt::Tool), m_ports(ports), m_errorBox(std::move(errorBox)) {
    setObjectName("list_coms");
    setWindowTitle(QStringLiteral("Comport List"));
    setModal(false);
    list = new QListWidget(this);
    list->setObjectName("com_list");
    list->setEnabled(false); // display only
    closeButton = new QPushButton(QStringLiteral("O K"), this);
    closeButton->setObjectName("Beenden");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(list);
    layout->addWidget(closeButton);
    resize(260, 260);

    // Escape reaches reject(), which hides the window like the button does.
    connect(closeButton, &QPushButton::clicked, this, &QWidget::hide);
}

PortListWindow::~PortListWindow() {
    m_ports.stop();
}

void PortListWindow::showLines() {
    list->clear();
    for (const auto& line : m_ports.lines())
        list->addItem(fromWin1252(line));
}

void PortListWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_ports.start([this] { showLines(); }, m_errorBox);
}

void PortListWindow::hideEvent(QHideEvent* event) {
    m_ports.stop();
    QDialog::hideEvent(event);
}

} // namespace travek
