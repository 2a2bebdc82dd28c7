#include "gui/qt/PortListWindow.h"

#include "core/session/Dialogs.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"
#include "gui/qt/Win1252.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace travek {

PortListWindow::PortListWindow(PortList& ports, EventLoop& loop, std::function<void(const std::string&)> errorBox,
                               QWidget* parent)
    : QDialog(parent, Qt::Tool), m_ports(ports), m_loop(loop), m_errorBox(std::move(errorBox)) {
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

PortListWindow::~PortListWindow() { stopRefreshing(); }

bool PortListWindow::refresh() {
    try {
        if (!m_ports.refresh())
            return true; // leave the list alone while nothing changed
    } catch (const Error& error) {
        if (m_errorBox)
            m_errorBox(SystemTextToWin1252(error.what()));
        return false;
    }
    list->clear();
    for (const auto& line : m_ports.lines())
        list->addItem(fromWin1252(line));
    return true;
}

void PortListWindow::scheduleRefresh() {
    m_refreshTask = m_loop.after(std::chrono::milliseconds(PortList::RefreshMs), [this] {
        m_refreshTask = 0;
        scheduleRefresh();
        refresh();
    });
}

void PortListWindow::stopRefreshing() {
    if (m_refreshTask != 0)
        m_loop.cancel(m_refreshTask);
    m_refreshTask = 0;
}

void PortListWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    stopRefreshing();
    if (refresh())
        scheduleRefresh();
}

void PortListWindow::hideEvent(QHideEvent* event) {
    stopRefreshing();
    QDialog::hideEvent(event);
}

} // namespace travek
