#include "TSelIfDlg.h"

#include "DefinitionFiles.h"
#include "InterfaceDefinition.h"
#include "TextHelpers.h"
#include "Win1252.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace travek {

TSelIfDlg::TSelIfDlg(InterfaceDefinition& definition, QWidget* parent, QString folder)
    : QDialog(parent), m_definition(definition), m_folder(std::move(folder)) {
    setWindowTitle(QStringLiteral("Interface"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::StyledPanel);
    IfList = new QListWidget(Bevel1);
    IfList->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* frameLayout = new QVBoxLayout(Bevel1);
    frameLayout->addWidget(IfList);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1);
    layout->addLayout(buttons);
    resize(320, 260);

    connect(OKBtn, &QPushButton::clicked, this, &TSelIfDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TSelIfDlg::CancelBtnClick);
    connect(IfList, &QListWidget::itemDoubleClicked, this, &TSelIfDlg::OKBtnClick);
    OKBtn->setFocus();

    FillIfList(); // only now: files added later show at the next start
}

void TSelIfDlg::FillIfList() {
    IfList->clear();
    const auto files = FindDefinitionFiles(toWin1252(m_folder));
    if (files.empty()) {
        QApplication::beep();
        return;
    }
    for (const auto& file : files)
        IfList->addItem(fromWin1252(DefinitionListEntry(file)));
    IfList->setCurrentRow(0);
}

void TSelIfDlg::OKBtnClick() {
    const QListWidgetItem* item = IfList->currentItem();
    if (!item || !item->isSelected()) {
        // Nothing to choose: emptying the interface name here would make the program look for
        // ".VAL" from now on and save an empty name at exit, losing the user's setting.
        reject();
        return;
    }
    m_definition.InterfaceName = RemoveBlanks(toWin1252(item->text()));
    accept();
}

void TSelIfDlg::CancelBtnClick() { reject(); }

} // namespace travek
