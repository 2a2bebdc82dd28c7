#pragma once

#include "gui/win32/DialogWindow.h"

namespace travek {

class ToleranceInput;

// "Toleranz Schritt n": the step's characteristic, nominal and limits; the button "Ablauf" shows
// the settings of the whole sequence below them. OK closes only when the presenter takes the
// fields; otherwise its reason shows below them and the dialog stays open.
class ToleranceDialog : public DialogWindow {
public:
    ToleranceDialog();
    // Shows the input modally and hands it the fields on OK; true when it took them.
    bool run(Win32EventLoop& loop, ToleranceInput& input);

    enum {
        CharacteristicId = 100,
        NominalId,
        LowerId,
        UpperId,
        SettingsId,
        WarningLabelId,
        WarningId,
        NokLabelId,
        NokId,
        MessageId
    };

private:
    void build() override;
    void showing() override;
    void shown() override;
    void command(int id, int code) override;
    // The sequence's settings shown or not; the message and the buttons move below what shows.
    void arrange(bool settings);
    std::string text(int id) const;

    ToleranceInput* m_input = nullptr;
    bool m_settingsShown = false;
};

} // namespace travek
