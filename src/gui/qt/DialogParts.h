#pragma once

class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace travek {

// The parts that the program's dialogs share, so that they look and are found alike.

// The reason an entry was refused: red, wrapped, hidden until there is one.
QLabel* makeMessageLabel(const char* objectName, QWidget* parent);

// "OK" (the default button, "OKBtn") and "Abbrechen" ("CancelBtn") at the right of a row.
QHBoxLayout* makeOkCancelRow(QWidget* parent, QPushButton*& ok, QPushButton*& cancel);

} // namespace travek
