#include "gui/qt/InterfaceDialog.h"

#include "core/session/Dialogs.h"
#include "gui/qt/Win1252.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace travek {

InterfaceDialog::InterfaceDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("SelIfDlg");
    setWindowTitle(QStringLiteral("Interface"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    bevel = new QFrame(this);
    bevel->setObjectName("Bevel1");
    bevel->setFrameShape(QFrame::StyledPanel);
    list = new QListWidget(bevel);
    list->setObjectName("IfList");
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* frameLayout = new QVBoxLayout(bevel);
    frameLayout->addWidget(list);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName("OKBtn");
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancelButton->setObjectName("CancelBtn");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bevel);
    layout->addLayout(buttons);
    resize(320, 260);

    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    okButton->setFocus();
}

void InterfaceDialog::showChoice(const InterfaceChoice& choice) {
    if (m_filled)
        return;
    m_filled = true;
    for (const auto& entry : choice.entries())
        list->addItem(fromWin1252(entry));
    list->setCurrentRow(choice.initialRow());
    // Why the list is empty, where the entries would be; it cannot be chosen.
    if (choice.entries().empty()) {
        auto* reason = new QListWidgetItem(fromWin1252(choice.emptyText()), list);
        reason->setFlags(Qt::NoItemFlags);
    }
}

int InterfaceDialog::chosenRow() const {
    const QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}

} // namespace travek
