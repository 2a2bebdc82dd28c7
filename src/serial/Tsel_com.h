#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace travek {

struct InterfaceDefinition;
class Tlist_coms;

// "Schnittstelle": the user picks the COM port (1 to 99) of the current interface; OK stores it in
// the interface definition and writes it into the definition file at once.
class Tsel_com : public QDialog {
    Q_OBJECT
public:
    Tsel_com(InterfaceDefinition& definition, Tlist_coms* list_coms, std::function<void(const QString&)> errorBox,
             QWidget* parent = nullptr);

    void prepare();

    QPlainTextEdit* Memo1;
    QComboBox* ComSel;
    QLineEdit* comText;
    QPushButton* Button1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

public slots:
    void ComSelChange(int index);
    void ComSelExit();
    void Button1Click();
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillList();
    // Selects the definition's port (nothing for one outside 1..99) and shows it.
    void selectDefinitionPort();

    InterfaceDefinition& m_definition;
    Tlist_coms* m_listComs;
    std::function<void(const QString&)> m_errorBox;
    QObject* m_dropDownList = nullptr;
};

} // namespace travek
