#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace travek {

class ComPortChoice;
class PortListWindow;

// "Schnittstelle": shows a ComPortChoice, the port picked with the mouse from a list of 99, with
// "?" beside it for the list of the ports present.
class ComPortDialog : public QDialog {
    Q_OBJECT
public:
    ComPortDialog(PortListWindow* portList, QWidget* parent = nullptr);

    QPlainTextEdit* caption;   // "Memo1"
    QComboBox* portBox;        // "ComSel"
    QLineEdit* portText;       // "comText"
    QPushButton* listButton;   // "Button1"
    QPushButton* okButton;     // "OKBtn"
    QPushButton* cancelButton; // "CancelBtn"

    // The choice the dialog shows and edits, or none.
    void setChoice(ComPortChoice* choice);

public slots:
    void showPortList();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showSelection();

    ComPortChoice* m_choice = nullptr;
    PortListWindow* m_portList;
    QObject* m_dropDownList = nullptr;
};

} // namespace travek
