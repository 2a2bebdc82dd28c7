#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace travek {

class ToleranceInput;

// "Toleranz Schritt n": the step's characteristic, nominal and limits; the button "Ablauf" shows
// the settings of the whole sequence below them. OK closes only when the presenter takes the
// fields; otherwise its reason shows below them and the dialog stays open.
class ToleranceDialog : public QDialog {
    Q_OBJECT
public:
    ToleranceDialog(ToleranceInput& input, QWidget* parent = nullptr);

    QLineEdit* characteristicEdit;
    QLineEdit* nominalEdit;
    QLineEdit* lowerEdit;
    QLineEdit* upperEdit;
    QPushButton* settingsButton;
    QGroupBox* settingsBox;
    QLineEdit* warningEdit;
    QComboBox* nokChoice;
    QLabel* messageLabel;
    QPushButton* okButton;
    QPushButton* cancelButton;

public slots:
    void take();

private:
    ToleranceInput& m_input;
};

} // namespace travek
