#pragma once

class QDialog;
class QString;
class QWidget;

namespace travek {

// Every modal dialog of the main window is shown through one runner, so that the whole window can
// be driven without a person at the screen: a test installs a runner that fills in the dialog and
// presses its buttons instead of entering the dialog's event loop.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;

    // Shows dialog modally and returns its result (QDialog::Accepted or QDialog::Rejected).
    virtual int run(QDialog& dialog);
};

// A question with "Ja" and "Nein" through runner; true for yes.
bool askYesNo(DialogRunner& runner, QWidget* parent, const QString& question);
// The error box through runner: title "Fehler", error icon, one OK button.
void runErrorBox(DialogRunner& runner, QWidget* parent, const QString& text);

} // namespace travek
