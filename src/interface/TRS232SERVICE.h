#pragma once

#include <QWidget>

#include <string>

class QLabel;
class QLineEdit;
class QListWidget;

namespace travek {

// Service window for the traffic to the measuring interface. Nothing shows it, but its "Output"
// box always holds the last command text sent (or tried) to the interface, end character included.
class TRS232SERVICE : public QWidget {
    Q_OBJECT
public:
    explicit TRS232SERVICE(QWidget* parent = nullptr);

    QLabel* Label1;
    QListWidget* lb1;
    QLabel* Label2;
    QLineEdit* Edit2;

    // Replaces the output text with command.
    void setOutput(const std::string& command);
    std::string output() const;

public slots:
    void FormCreate();
};

} // namespace travek
