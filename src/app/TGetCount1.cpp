#include "TGetCount1.h"

#include "PlainLabel.h"
#include "TextHelpers.h"
#include "Win1252.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace travek {

TGetCount1::TGetCount1(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("GetCount1");
    setWindowTitle("-");

    Label1 = makeLabel("Anzahl Werte", "Label1", this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setFixedWidth(56);
    Edit1->installEventFilter(this);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addStretch();
    layout->addWidget(BitBtn1);
    resize(236, 80);

    connect(BitBtn1, &QPushButton::clicked, this, &TGetCount1::BitBtn1Click);
    FormCreate();
}

void TGetCount1::FormCreate() {
    Value = 0;
}

void TGetCount1::BitBtn1Click() {
    Value = LeadingInt(RemoveBlanks(toWin1252(Edit1->text())));
    accept();
}

void TGetCount1::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Edit1->setFocus();
    Edit1->selectAll();
}

bool TGetCount1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            BitBtn1Click();
            return true;
        }
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace travek
