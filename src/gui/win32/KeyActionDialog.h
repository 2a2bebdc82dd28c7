#pragma once

#include "gui/win32/DialogWindow.h"

namespace travek {

class KeyActionList;

// "Aktionsliste": the pieces of a key string above, the named keys below; "Hinzufügen" (or a
// double-click on a key) and "Löschen" go to the presenter, which the dialog then shows again.
class KeyActionDialog : public DialogWindow {
public:
    KeyActionDialog();
    // The presenter shown and changed; none while the dialog is not in use.
    void setList(KeyActionList* list);

    static constexpr int EntryListId = 100;
    static constexpr int TokenListId = 101;
    static constexpr int DeleteId = 102;
    static constexpr int AddId = 103;
    static constexpr int LimitId = 104;

private:
    void build() override;
    void shown() override;
    void command(int id, int code) override;
    void showList(int selected);

    KeyActionList* m_list = nullptr;
};

} // namespace travek
