#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace travek {

class KeyActionList;

// "Aktionsliste": shows a KeyActionList, the entries above and the named keys on offer below, and
// forwards "Hinzufügen" and "Löschen" to it.
class KeyActionDialog : public QDialog {
    Q_OBJECT
public:
    explicit KeyActionDialog(QWidget* parent = nullptr);

    QListWidget* entryList;    // "lb_string"
    QPushButton* deleteButton; // "BT_Delete"
    QListWidget* tokenList;    // "lb_keys"
    QPushButton* addButton;    // "Bt_add"
    QPushButton* cancelButton; // "BitBtn1"
    QPushButton* okButton;     // "BitBtn2"
    QLabel* limitLabel;        // "LabelLimit": why a token was not added

    // The list the dialog shows and edits, or none; afterwards no entry is selected.
    void setList(KeyActionList* list);
    // The entries as shown.
    QStringList entries() const;

public slots:
    void addToken();
    void deleteEntry();

private:
    // Shows the list's entries and message, selecting the entry at selected (-1 for none).
    void showList(int selected);

    KeyActionList* m_list = nullptr;
};

} // namespace travek
