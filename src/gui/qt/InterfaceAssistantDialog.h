#pragma once

#include <QDialog>

#include <cstddef>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace travek {

class DialogRunner;
class InterfaceAssistant;

// "Interface einrichten": shows an InterfaceAssistant (the port and its settings, the lines that
// arrive with what TRAVEK makes of them, the channels, the hints) and forwards every change and
// click to it. Made for one use.
class InterfaceAssistantDialog : public QDialog {
    Q_OBJECT
public:
    InterfaceAssistantDialog(InterfaceAssistant& assistant, DialogRunner& runner, QWidget* parent = nullptr);
    ~InterfaceAssistantDialog() override;

    QComboBox* portBox;
    QComboBox* baudBox;
    QComboBox* dataBitsBox;
    QComboBox* parityBox;
    QComboBox* stopBitsBox;
    QCheckBox* rtsBox;
    QPushButton* openButton;     // "Öffnen" / "Schließen"
    QComboBox* templateBox;      // the definitions of the working folder
    QPushButton* templateButton; // "Übernehmen"
    QTableWidget* linesTable;    // "Zeile", "Kanal", what TRAVEK types
    QPushButton* clearButton;    // "Liste leeren"
    QLineEdit* rulerEdit;
    QLineEdit* lineEdit; // the selected line; its selection is what the mark buttons take
    QLineEdit* marksEdit;
    QPlainTextEdit* detailsText;
    QPushButton* markValueButton;      // "Markierung ist der Wert"
    QPushButton* markIdentifierButton; // "Markierung ist die Kennung"
    QSpinBox* startSpin;
    QSpinBox* endSpin;
    QSpinBox* countSpin;
    QListWidget* channelList;
    QLineEdit* identifierEdit;
    QLineEdit* commandEdit;
    QPushButton* sendButton; // the channel's command
    QLineEdit* disableAllEdit;
    QPushButton* sendAllButton; // "Alle aus"
    QSpinBox* endCharSpin;
    QPlainTextEdit* hintsText;
    QLineEdit* nameEdit;
    QPushButton* saveButton;  // "Speichern"
    QPushButton* closeButton; // "Schließen"

    const InterfaceAssistant& assistant() const { return m_assistant; }
    // Shows everything the assistant holds.
    void showAssistant();
    // The entry selected in the list, by its row; -1 for none.
    int selectedRow() const;
    void selectRow(int row);
    int selectedChannel() const;

private:
    QWidget* buildConnection();
    QWidget* buildLines();
    QWidget* buildSelectedLine();
    QWidget* buildChannels();
    QWidget* buildSaving();
    void connectionChanged();
    void showLines();
    void showSelectedLine();
    void showChannels();
    void mark(bool value);

    InterfaceAssistant& m_assistant;
    DialogRunner& m_runner;
    // The entry selected, by the number it keeps while older ones leave the list.
    std::ptrdiff_t m_selectedNumber = -1;
    bool m_showing = false;
};

} // namespace travek
