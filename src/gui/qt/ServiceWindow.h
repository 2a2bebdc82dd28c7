#pragma once

#include <QWidget>

#include <string>

class QLabel;
class QLineEdit;
class QListWidget;

namespace travek {

// Service window for the traffic to the measuring interface. Nothing shows it, but its "Output"
// box always holds the last command text sent (or tried) to the interface, end character included.
class ServiceWindow : public QWidget {
    Q_OBJECT
public:
    explicit ServiceWindow(QWidget* parent = nullptr);

    QLabel* inputLabel;     // "Label1"
    QListWidget* inputList; // "lb1"
    QLabel* outputLabel;    // "Label2"
    QLineEdit* outputEdit;  // "Edit2"

    // Replaces the output text with command.
    void setOutput(const std::string& command);
    std::string output() const;
};

} // namespace travek
