#include "gui/qt/SeriesCountDialog.h"

#include "core/session/Dialogs.h"
#include "gui/qt/PlainLabel.h"
#include "gui/qt/Win1252.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace travek {

SeriesCountDialog::SeriesCountDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("GetCount1");
    setWindowTitle("-");

    label = makeLabel("Anzahl Werte", "Label1", this);
    edit = new QLineEdit(this);
    edit->setObjectName("Edit1");
    edit->setFixedWidth(56);
    edit->installEventFilter(this);
    okButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    okButton->setObjectName("BitBtn1");
    okButton->setDefault(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addStretch();
    layout->addWidget(okButton);
    resize(236, 80);

    connect(okButton, &QPushButton::clicked, this, &SeriesCountDialog::takeValue);
}

void SeriesCountDialog::takeValue() {
    value = SeriesCountInput::valueOf(toWin1252(edit->text()));
    accept();
}

void SeriesCountDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    edit->setFocus();
    edit->selectAll();
}

bool SeriesCountDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            takeValue();
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
