#pragma once

#include "core/loop/EventLoop.h"

#include <QDialog>

#include <functional>
#include <string>

class QListWidget;
class QPushButton;

namespace travek {

class PortList;

// "Comport List": shows a PortList, read again every 500 ms while the window is shown. A
// reference for the user choosing a port; a list that cannot be read goes to the error box.
class PortListWindow : public QDialog {
    Q_OBJECT
public:
    PortListWindow(PortList& ports, EventLoop& loop, std::function<void(const std::string&)> errorBox,
                   QWidget* parent = nullptr);
    ~PortListWindow() override;

    // Reads the list again and shows it. False (entries kept, error shown) when that failed.
    bool refresh();

    QListWidget* list;        // "com_list"
    QPushButton* closeButton; // "Beenden"

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void scheduleRefresh();
    void stopRefreshing();

    PortList& m_ports;
    EventLoop& m_loop;
    std::function<void(const std::string&)> m_errorBox;
    EventLoop::TaskId m_refreshTask = 0;
};

} // namespace travek
