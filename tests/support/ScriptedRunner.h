#pragma once

#include "gui/qt/DialogRunner.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace travek::test {

// Plays the user's part in the modal dialogs: each dialog shown takes the next scripted step,
// which fills in the dialog, presses its buttons and returns the dialog's result. The dialog is
// shown (without a modal loop) while the step runs, as a person would see it.
class ScriptedRunner : public DialogRunner {
public:
    using Step = std::function<int(QDialog&)>;

    void then(Step step) { m_steps.push_back(std::move(step)); }
    const QStringList& shown() const { return m_shown; }
    bool allStepsUsed() const { return m_steps.empty(); }

protected:
    int exec(QDialog& dialog) override {
        m_shown << dialog.objectName();
        if (m_steps.empty()) {
            ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
            return QDialog::Rejected;
        }
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        const int result = step(dialog);
        dialog.hide();
        return result;
    }

private:
    std::deque<Step> m_steps;
    QStringList m_shown;
};

} // namespace travek::test
