#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace travek {

// "Aktionsliste": composes the key list of one sequence step (or the series string) from the
// entries already there and the named-key tokens on offer. Entries are shown as they are; the
// dialog only adds tokens and deletes entries.
class TSel_key : public QDialog {
    Q_OBJECT
public:
    explicit TSel_key(QWidget* parent = nullptr);

    QListWidget* lb_string;
    QPushButton* BT_Delete;
    QListWidget* lb_keys;
    QPushButton* Bt_add;
    QPushButton* BitBtn1; // Cancel
    QPushButton* BitBtn2; // OK
    // Says why a token was not added.
    QLabel* LabelLimit;

    // The tokens offered in lb_keys, in their order.
    static const std::vector<std::string>& KeyTokens();

    // Replaces the entries of lb_string; afterwards none is selected.
    void setEntries(const std::vector<std::string>& entries);
    std::vector<std::string> entries() const;

    // A step's key string is kept to maxLength characters (its pieces joined with separator), so
    // "Hinzufügen" refuses a token that would push it past that. 0 sets no limit, as for the
    // series string.
    void setLengthLimit(char separator, std::size_t maxLength);

public slots:
    void FormCreate();
    void Bt_addClick();
    void BT_DeleteClick();
    void BitBtn2Click();

private:
    char m_separator = ';';
    std::size_t m_maxLength = 0;
};

} // namespace travek
