#pragma once

#include <QPointer>

#include <vector>

class QDialog;
class QString;
class QWidget;

namespace travek {

// Every modal dialog of the main window is shown through one runner, so that the whole window can
// be driven without a person at the screen: a test installs a runner that fills in the dialog and
// presses its buttons instead of entering the dialog's event loop. The runner also serves a request
// to end (a signal, the end of the desktop session) that comes while a dialog waits for its answer.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;

    // Shows dialog modally and returns its result (QDialog::Accepted or QDialog::Rejected). Once the
    // program is ending, nothing is shown and the result is Rejected; a message box's text then goes
    // to standard error, so that what it had to say is not lost.
    int run(QDialog& dialog);

    // The program is to end and nobody may be there to answer: every dialog being run closes as
    // Cancel, and none is shown from now on.
    void endAll();
    bool ending() const { return m_ending; }

protected:
    // Shows dialog and waits for its answer: its owner's window first reaches the screen, so that
    // the user sees which program asks and the dialog has a window to stand over.
    virtual int exec(QDialog& dialog);

private:
    void putOnScreen(QWidget& owner);

    bool m_ending = false;
    std::vector<QPointer<QDialog>> m_running;
    // The owner already waited for; a window manager may keep a window off the screen for good
    // (minimised, on another desktop), and the dialogs must not wait each time.
    QPointer<QWidget> m_waitedFor;
};

// A question with "Ja" and "Nein" through runner; true for yes.
bool askYesNo(DialogRunner& runner, QWidget* parent, const QString& question);
// The error box through runner: title "Fehler", error icon, one OK button.
void runErrorBox(DialogRunner& runner, QWidget* parent, const QString& text);

} // namespace travek
