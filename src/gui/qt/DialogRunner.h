#pragma once

class QDialog;

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

} // namespace travek
