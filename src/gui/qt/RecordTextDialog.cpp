#include "gui/qt/RecordTextDialog.h"

#include "core/session/Dialogs.h"
#include "gui/qt/DialogParts.h"
#include "gui/qt/PlainLabel.h"
#include "gui/qt/Win1252.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace travek {

RecordTextDialog::RecordTextDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("RecordTextDialog");
    auto* layout = new QVBoxLayout(this);
    label = makeLabel(QString(), "RecordTextLabel", this);
    layout->addWidget(label);
    edit = new QLineEdit(this);
    edit->setObjectName("RecordTextEdit");
    edit->setMaxLength(static_cast<int>(RecordTextInput::MaxLength));
    edit->setMinimumWidth(280);
    label->setBuddy(edit);
    layout->addWidget(edit);
    messageLabel = makeMessageLabel("RecordTextMessage", this);
    layout->addWidget(messageLabel);

    layout->addLayout(makeOkCancelRow(this, okButton, cancelButton));

    connect(okButton, &QPushButton::clicked, this, &RecordTextDialog::takeText);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void RecordTextDialog::setInput(RecordTextInput* input) {
    m_input = input;
    messageLabel->hide();
    if (!input)
        return;
    setWindowTitle(fromWin1252(input->title()));
    label->setText(fromWin1252(input->label()));
    edit->setText(fromWin1252(input->text()));
    edit->selectAll();
    edit->setFocus();
}

void RecordTextDialog::takeText() {
    if (!m_input)
        return;
    if (m_input->take(toWin1252(edit->text()))) {
        accept();
        return;
    }
    messageLabel->setText(fromWin1252(m_input->message()));
    messageLabel->show();
}

} // namespace travek
