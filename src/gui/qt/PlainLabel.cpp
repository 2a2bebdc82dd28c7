#include "gui/qt/PlainLabel.h"

#include <QLabel>

namespace travek {

QLabel* makeLabel(const QString& text, const char* objectName, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setText(text);
    return label;
}

} // namespace travek
