#include "TSel_channel.h"

#include "Win1252.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace travek {

TSel_channel::TSel_channel(QWidget* parent) : QDialog(parent) {
    setObjectName("Sel_channel");
    setWindowTitle("Sel_channel");
    resize(270, 338);

    lb_channels = new QListWidget(this);
    lb_channels->setObjectName("lb_channels");
    lb_channels->setSelectionMode(QAbstractItemView::SingleSelection);
    lb_channels->setMinimumSize(221, 261);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Abbrechen", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setAutoDefault(false);
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lb_channels, 1, Qt::AlignHCenter);
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn2, &QPushButton::clicked, this, &TSel_channel::BitBtn2Click);
    connect(lb_channels, &QListWidget::itemDoubleClicked, this, &TSel_channel::BitBtn2Click);
}

void TSel_channel::setChannels(const std::vector<std::string>& entries) {
    lb_channels->clear();
    for (const auto& entry : entries)
        lb_channels->addItem(fromWin1252(entry));
    lb_channels->setCurrentRow(-1);
    lb_channels->clearSelection();
}

int TSel_channel::selectedPosition() const {
    const auto selected = lb_channels->selectedItems();
    return selected.isEmpty() ? -1 : lb_channels->row(selected.first());
}

void TSel_channel::BitBtn2Click() {
    accept();
}

} // namespace travek
