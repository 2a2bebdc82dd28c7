#include "gui/qt/TargetWindowDialog.h"

#include "core/session/Dialogs.h"
#include "gui/qt/DialogParts.h"
#include "gui/qt/Win1252.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace travek {

TargetWindowDialog::TargetWindowDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TargetWindowDialog");
    setWindowTitle(QStringLiteral("Zielfenster"));
    auto* layout = new QVBoxLayout(this);

    targetLabel = new QLabel(this);
    targetLabel->setObjectName("TargetLabel");
    targetLabel->setTextFormat(Qt::PlainText); // window titles are anybody's text
    targetLabel->setWordWrap(true);
    targetLabel->setMinimumWidth(320);
    layout->addWidget(targetLabel);
    statusLabel = new QLabel(this);
    statusLabel->setObjectName("StatusLabel");
    statusLabel->setTextFormat(Qt::PlainText);
    statusLabel->setWordWrap(true);
    layout->addWidget(statusLabel);

    auto* actions = new QHBoxLayout;
    captureButton = new QPushButton(QStringLiteral("&Festlegen"), this);
    captureButton->setObjectName("CaptureButton");
    clearButton = new QPushButton(QStringLiteral("&Aufheben"), this);
    clearButton->setObjectName("ClearButton");
    matchTitleBox = new QCheckBox(QStringLiteral("&Titel muss passen"), this);
    matchTitleBox->setObjectName("MatchTitleBox");
    actions->addWidget(captureButton);
    actions->addWidget(clearButton);
    actions->addWidget(matchTitleBox);
    layout->addLayout(actions);

    layout->addLayout(makeOkCancelRow(this, okButton, cancelButton));

    connect(captureButton, &QPushButton::clicked, this, [this] {
        if (m_choice)
            m_choice->capture();
    });
    connect(clearButton, &QPushButton::clicked, this, [this] {
        if (m_choice)
            m_choice->clear();
        showChoice();
    });
    connect(matchTitleBox, &QCheckBox::toggled, this, [this](bool on) {
        if (m_choice)
            m_choice->setMatchTitle(on);
        showChoice();
    });
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TargetWindowDialog::setChoice(TargetWindowChoice* choice) {
    if (m_choice)
        m_choice->onChanged = nullptr;
    m_choice = choice;
    if (m_choice)
        m_choice->onChanged = [this] {
            const bool taken = !m_choice->counting();
            showChoice();
            // The user clicked into another program to pick it: the dialog comes back to show
            // what it took.
            if (taken && isVisible()) {
                raise();
                activateWindow();
            }
        };
    showChoice();
}

void TargetWindowDialog::showChoice() {
    targetLabel->setText(m_choice ? fromWin1252(m_choice->targetText()) : QString());
    statusLabel->setText(m_choice ? fromWin1252(m_choice->status()) : QString());
    const QSignalBlocker quiet(matchTitleBox);
    matchTitleBox->setChecked(m_choice && m_choice->matchTitle());
}

void TargetWindowDialog::done(int result) {
    if (m_choice)
        m_choice->stop();
    QDialog::done(result);
}

} // namespace travek
