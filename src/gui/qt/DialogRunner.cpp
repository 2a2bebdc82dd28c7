#include "gui/qt/DialogRunner.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

namespace travek {

int DialogRunner::run(QDialog& dialog) {
    return dialog.exec();
}

bool askYesNo(DialogRunner& runner, QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("TRAVEK"), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName("QuestionBox");
    // Questions quote file names and device lines: never rendered as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    // Without a translation Qt says "Yes" and "No"; the program's words are German.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nein"));
    return runner.run(box) == QMessageBox::Yes;
}

void runErrorBox(DialogRunner& runner, QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Fehler"), text, QMessageBox::Ok, parent);
    box.setObjectName("ErrorBox");
    box.setTextFormat(Qt::PlainText);
    runner.run(box);
}

} // namespace travek
