#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QListWidget;
class QPushButton;

namespace travek {

class PortList;

// "Comport List": shows a PortList while the window is shown (the list refreshes itself). A
// reference for the user choosing a port; a list that cannot be read goes to the error box.
class PortListWindow : public QDialog {
    Q_OBJECT
public:
    PortListWindow(PortList& ports, std::function<void(const std::string&)> errorBox,
                   QWidget* parent = nullptr);
    ~PortListWindow() override;

    QListWidget* list;        // "com_list"
    QPushButton* closeButton; // "Beenden"

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showLines();

    PortList& m_ports;
    std::function<void(const std::string&)> m_errorBox;
};

} // namespace travek
