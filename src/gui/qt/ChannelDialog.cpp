#include "gui/qt/ChannelDialog.h"

#include "core/session/Dialogs.h"
#include "gui/qt/Win1252.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace travek {

ChannelDialog::ChannelDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("Sel_channel");
    setWindowTitle("Sel_channel");
    resize(270, 338);

    channelList = new QListWidget(this);
    channelList->setObjectName("lb_channels");
    channelList->setSelectionMode(QAbstractItemView::SingleSelection);
    channelList->setMinimumSize(221, 261);

    cancelButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Abbrechen", this);
    cancelButton->setObjectName("BitBtn1");
    cancelButton->setAutoDefault(false);
    okButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    okButton->setObjectName("BitBtn2");
    okButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(channelList, 1, Qt::AlignHCenter);
    layout->addLayout(buttons);

    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(channelList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

void ChannelDialog::showChoice(const ChannelChoice& choice) {
    QStringList entries;
    for (const auto& entry : choice.entries())
        entries << fromWin1252(entry);
    QStringList shown;
    for (int i = 0; i < channelList->count(); ++i)
        shown << channelList->item(i)->text();
    if (entries != shown) {
        channelList->clear();
        channelList->addItems(entries);
    }
    channelList->setCurrentRow(choice.selected());
    if (choice.selected() < 0)
        channelList->clearSelection();
}

int ChannelDialog::selectedPosition() const {
    const auto selected = channelList->selectedItems();
    return selected.isEmpty() ? -1 : channelList->row(selected.first());
}

} // namespace travek
