#pragma once

#include <QDialog>

class QFrame;
class QListWidget;
class QPushButton;

namespace travek {

struct InterfaceDefinition;

// The dialog in which the user picks the interface definition to work with, from the definition
// files of the working directory as they were when the program started.
class TSelIfDlg : public QDialog {
    Q_OBJECT
public:
    TSelIfDlg(InterfaceDefinition& definition, QWidget* parent = nullptr, QString folder = QStringLiteral("."));

    void FillIfList();

    QFrame* Bevel1;
    QListWidget* IfList;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

public slots:
    void OKBtnClick();
    void CancelBtnClick();

private:
    InterfaceDefinition& m_definition;
    QString m_folder;
};

} // namespace travek
