#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace travek {

class TargetWindowChoice;

// "Zielfenster": shows a TargetWindowChoice, the window that values are meant for, and forwards
// "Festlegen", "Aufheben" and "Titel muss passen" to it.
class TargetWindowDialog : public QDialog {
    Q_OBJECT
public:
    explicit TargetWindowDialog(QWidget* parent = nullptr);

    QLabel* targetLabel;
    QLabel* statusLabel;
    QPushButton* captureButton; // "&Festlegen"
    QPushButton* clearButton;   // "&Aufheben"
    QCheckBox* matchTitleBox;   // "&Titel muss passen"
    QPushButton* okButton;
    QPushButton* cancelButton;

    // The choice the dialog shows and edits, or none. A countdown still running when the dialog
    // closes is stopped.
    void setChoice(TargetWindowChoice* choice);

protected:
    void done(int result) override;

private:
    void showChoice();

    TargetWindowChoice* m_choice = nullptr;
};

} // namespace travek
