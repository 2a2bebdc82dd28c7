#pragma once

#include <QDialog>

class QFrame;
class QListWidget;
class QPushButton;

namespace travek {

class InterfaceChoice;

// "Interface": shows the interface definitions of an InterfaceChoice; OK gives the chosen row.
class InterfaceDialog : public QDialog {
    Q_OBJECT
public:
    explicit InterfaceDialog(QWidget* parent = nullptr);

    QFrame* bevel;             // "Bevel1"
    QListWidget* list;         // "IfList"
    QPushButton* okButton;     // "OKBtn"
    QPushButton* cancelButton; // "CancelBtn"

    // Fills the list once (the files as they were at the start), selecting the first entry.
    void showChoice(const InterfaceChoice& choice);
    // The selected row, -1 for none.
    int chosenRow() const;

private:
    bool m_filled = false;
};

} // namespace travek
