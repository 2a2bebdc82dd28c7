#pragma once

#include "gui/win32/DialogWindow.h"

namespace travek {

class ChannelChoice;

// "Sel_channel": picks a step's channel from the presenter's list; a double-click is OK.
class ChannelDialog : public DialogWindow {
public:
    ChannelDialog();
    // Fills the list (when it changed) and the selection from the presenter.
    void showChoice(const ChannelChoice& choice);
    // The selected position, -1 for none.
    int selectedPosition() const;

    static constexpr int ChannelListId = 100;

private:
    void build() override;
    void shown() override;
    void command(int id, int code) override;
};

} // namespace travek
