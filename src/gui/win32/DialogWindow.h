#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace travek {

class Win32EventLoop;

// The id of a control nobody addresses (a label).
inline constexpr int StaticId = -1;

// A window of the dialog class, made from an in-memory template without controls; each dialog
// places its own controls in build(), in pixels, as the Qt dialogs are measured. Shown modally
// through the program's own event loop, so serial data and timers go on meanwhile, or shown
// modeless. The dialog manager gives it Tab, Enter (IDOK) and Escape (IDCANCEL).
class DialogWindow {
public:
    virtual ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // Makes the window, hidden, owned by owner.
    void create(HWND owner);
    HWND handle() const { return m_window; }

    // Shows it with the owner disabled until end(), centred on the screen for a style with
    // DS_CENTER; the result passed to end() (IDCANCEL when the
    // program is quitting).
    int runModal(Win32EventLoop& loop);
    void end(int result);

protected:
    // width and height are the client area's, in pixels.
    DialogWindow(std::string title, int width, int height, DWORD style, DWORD exStyle = 0, bool bold = false);

    virtual void build() = 0;
    // Called right before the window is shown (modal or not).
    virtual void showing() {}
    // Called once it is shown: where the focus goes.
    virtual void shown() {}
    // A WM_COMMAND from a control; IDOK and IDCANCEL end a modal run unless overridden.
    virtual void command(int id, int code);
    // The window's close box or Escape when nothing else takes it.
    virtual void closeRequested() { end(IDCANCEL); }

    HWND add(const char* className, const char* text, DWORD style, int x, int y, int width, int height,
             int id, DWORD exStyle = 0);
    HWND item(int id) const { return ::GetDlgItem(m_window, id); }
    // The selected row of a list box, -1 when none is.
    int selectedRow(int listId) const;
    int clientWidth() const { return m_width; }
    int clientHeight() const { return m_height; }

    HWND m_window = nullptr;
    bool m_running = false;
    int m_result = IDCANCEL;

private:
    // For a style with DS_CENTER, right before it is shown.
    void centreOnScreen();
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::string m_title;
    int m_width;
    int m_height;
    DWORD m_style;
    DWORD m_exStyle;
    HFONT m_font = nullptr;
};

// The windows are measured in pixels of a 96 dpi screen; on a screen of more dots per inch (the
// program is DPI aware, see travek.manifest) every measure grows with it.
int scaled(int designPixels);

// The width in pixels of text in font, as window's device context draws it.
int textWidth(HWND window, HFONT font, std::string_view text);

// The font the windows are designed for: MS Sans Serif 8 pt (bold for the interface and port
// dialogs), or what the system puts in its place.
HFONT createDesignFont(bool bold);

} // namespace travek
