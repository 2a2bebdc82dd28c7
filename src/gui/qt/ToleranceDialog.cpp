#include "gui/qt/ToleranceDialog.h"

#include "core/session/ToleranceInput.h"
#include "gui/qt/DialogParts.h"
#include "gui/qt/PlainLabel.h"
#include "gui/qt/Win1252.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace travek {

namespace {

QLineEdit* addField(QFormLayout* form, const char* label, const char* name, const std::string& text,
                    QWidget* parent) {
    auto* edit = new QLineEdit(fromWin1252(text), parent);
    edit->setObjectName(name);
    form->addRow(QString::fromUtf8(label), edit);
    return edit;
}

} // namespace

ToleranceDialog::ToleranceDialog(ToleranceInput& input, QWidget* parent) : QDialog(parent), m_input(input) {
    setObjectName("ToleranceDialog");
    setWindowTitle(fromWin1252(input.title()));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    characteristicEdit = addField(form, "&Merkmal:", "MerkmalEdit", input.characteristic(), this);
    characteristicEdit->setMaxLength(static_cast<int>(ToleranceInput::MaxCharacteristicLength));
    characteristicEdit->setMinimumWidth(200);
    nominalEdit = addField(form, "&Soll:", "SollEdit", input.nominal(), this);
    lowerEdit = addField(form, "&UGW:", "UGWEdit", input.lower(), this);
    upperEdit = addField(form, "&OGW:", "OGWEdit", input.upper(), this);
    layout->addLayout(form);

    settingsButton = new QPushButton(QStringLiteral("&Ablauf …"), this);
    settingsButton->setObjectName("SettingsButton");
    settingsButton->setCheckable(true);
    settingsButton->setAutoDefault(false);
    layout->addWidget(settingsButton, 0, Qt::AlignLeft);
    settingsBox = new QGroupBox(QStringLiteral("F\u00FCr den ganzen Ablauf"), this);
    settingsBox->setObjectName("SettingsBox");
    auto* settingsForm = new QFormLayout(settingsBox);
    warningEdit =
        addField(settingsForm, "&Warnzone (WARNUNG, %):", "WarnungEdit", input.warning(), settingsBox);
    nokChoice = new QComboBox(settingsBox);
    nokChoice->setObjectName("NokChoice");
    for (const char* choice : ToleranceInput::NokChoices)
        nokChoice->addItem(fromWin1252(choice));
    nokChoice->setCurrentIndex(input.holdNok() ? 1 : 0);
    settingsForm->addRow(QStringLiteral("&NOK:"), nokChoice);
    settingsBox->hide();
    layout->addWidget(settingsBox);
    connect(settingsButton, &QPushButton::toggled, this, [this](bool on) {
        settingsBox->setVisible(on);
        adjustSize();
    });

    messageLabel = makeMessageLabel("ToleranceMessage", this);
    layout->addWidget(messageLabel);

    layout->addLayout(makeOkCancelRow(this, okButton, cancelButton));
    connect(okButton, &QPushButton::clicked, this, &ToleranceDialog::take);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    characteristicEdit->setFocus();
}

void ToleranceDialog::take() {
    if (m_input.take(toWin1252(characteristicEdit->text()), toWin1252(nominalEdit->text()),
                     toWin1252(lowerEdit->text()), toWin1252(upperEdit->text()),
                     toWin1252(warningEdit->text()), nokChoice->currentIndex() == 1)) {
        accept();
        return;
    }
    messageLabel->setText(fromWin1252(m_input.message()));
    messageLabel->show();
}

} // namespace travek
