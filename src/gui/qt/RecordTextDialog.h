#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace travek {

class RecordTextInput;

// "Bediener" and "Teil/Los": one line for the measurement record. OK closes only when the
// presenter takes the text; otherwise its reason shows below the field and the dialog stays open.
class RecordTextDialog : public QDialog {
    Q_OBJECT
public:
    explicit RecordTextDialog(QWidget* parent = nullptr);

    QLabel* label;
    QLineEdit* edit;
    QLabel* messageLabel;
    QPushButton* okButton;
    QPushButton* cancelButton;

    // The input the dialog shows and hands the text to on OK, or none.
    void setInput(RecordTextInput* input);

public slots:
    void takeText();

private:
    RecordTextInput* m_input = nullptr;
};

} // namespace travek
