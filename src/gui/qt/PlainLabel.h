#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace travek {

// Every label of the program is made here. Labels show device lines, file contents and file
// names, and Qt would render such a text as rich text when it looks like markup: a gauge line
// "<img src=/dev/zero>" would make Qt read that file until memory runs out. So every label shows
// its text as it stands.
QLabel* makeLabel(const QString& text, const char* objectName, QWidget* parent);

} // namespace travek
