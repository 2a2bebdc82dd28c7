#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;
class QTimer;

namespace travek {

// "Comport List": the serial ports present on the machine, one "device name=port name" line each,
// read again every 500 ms while the window is shown. A reference for the user choosing a port.
class Tlist_coms : public QDialog {
    Q_OBJECT
public:
    // source fills the lines or throws std::exception with the text to show; errorBox shows it.
    using Source = std::function<void(std::vector<std::string>& target)>;
    Tlist_coms(Source source, std::function<void(const QString&)> errorBox, QWidget* parent = nullptr);

    // Replaces the entries of com_list with the current lines. False (entries kept, error shown)
    // when the source failed.
    bool ListComPorts();

    QListWidget* com_list;
    QPushButton* Beenden;
    QTimer* Timer1;

public slots:
    void Timer1Timer();
    void BeendenClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Source m_source;
    std::function<void(const QString&)> m_errorBox;
};

} // namespace travek
