#include "gui/qt/DialogParts.h"

#include "gui/qt/PlainLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace travek {

QLabel* makeMessageLabel(const char* objectName, QWidget* parent) {
    QLabel* label = makeLabel(QString(), objectName, parent);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    label->setPalette(palette);
    label->hide();
    return label;
}

QHBoxLayout* makeOkCancelRow(QWidget* parent, QPushButton*& ok, QPushButton*& cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    ok = new QPushButton(QStringLiteral("OK"), parent);
    ok->setObjectName("OKBtn");
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Abbrechen"), parent);
    cancel->setObjectName("CancelBtn");
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

} // namespace travek
