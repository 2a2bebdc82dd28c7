#pragma once

#include "gui/win32/DialogWindow.h"

#include <cstddef>
#include <string>

namespace travek {

class InterfaceAssistant;

// "Interface einrichten": shows an InterfaceAssistant (the port and its settings, the lines that
// arrive with what TRAVEK makes of them, the channels, the hints) and forwards every change and
// click to it. Made for one use; the program's event loop runs while it is open, so the port's
// lines keep arriving.
class InterfaceAssistantDialog : public DialogWindow {
public:
    explicit InterfaceAssistantDialog(InterfaceAssistant& assistant);
    ~InterfaceAssistantDialog() override;

    enum {
        PortId = 100,
        BaudId,
        DataBitsId,
        ParityId,
        StopBitsId,
        RtsId,
        OpenId,
        TemplateId,
        TemplateButtonId,
        HeadingId,
        LinesId,
        ClearId,
        RulerId,
        LineId,
        MarksId,
        DetailsId,
        MarkValueId,
        MarkIdentifierId,
        StartId,
        EndId,
        CountId,
        DisableAllId,
        SendAllId,
        EndCharId,
        ChannelsId,
        IdentifierId,
        CommandId,
        SendId,
        HintsId,
        NameId,
        SaveId
    };

    // Runs the assistant's window over owner until it is closed.
    static void run(HWND owner, Win32EventLoop& loop, InterfaceAssistant& assistant);

private:
    using DialogWindow::selectedRow;
    void build() override;
    void showing() override;
    void command(int id, int code) override;
    void showAssistant();
    void showLines();
    void showSelectedLine();
    void showChannels();
    void connectionChanged();
    void numberChanged(int id);
    int selectedRow() const;
    int selectedChannel() const;
    void mark(bool value);
    std::string text(int id) const;
    // Sets a control's text unless it is the same, or the user is typing in it.
    void setText(int id, const std::string& text);

    InterfaceAssistant& m_assistant;
    HFONT m_fixedFont = nullptr;
    std::ptrdiff_t m_selectedNumber = -1;
    bool m_showing = false;
};

} // namespace travek
