#include "gui/win32/InterfaceAssistantDialog.h"

#include "core/session/Dialogs.h"
#include "core/session/InterfaceAssistant.h"
#include "core/text/TextHelpers.h"
#include "gui/win32/Win32EventLoop.h"

#include <algorithm>

namespace travek {

namespace {

// The list's columns, in characters of the fixed-pitch font: the characters that TRAVEK reads,
// then the channel, then what it types.
constexpr std::size_t ReadColumn = 30;
constexpr std::size_t ChannelColumn = 12;

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string listEntry(const InterfaceAssistant::Row& row) {
    std::string entry = padded(row.text.substr(0, row.readLength), ReadColumn) + "\xA6 " +
                        padded(row.channel, ChannelColumn) + row.typed;
    // What TRAVEK never reads stands last, behind its mark.
    if (row.text.size() > row.readLength)
        entry += "   \xA6" + row.text.substr(row.readLength + 1);
    return entry;
}

} // namespace

InterfaceAssistantDialog::InterfaceAssistantDialog(InterfaceAssistant& assistant)
    : DialogWindow("Interface einrichten", 716, 680,
                   WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER),
      m_assistant(assistant) {
    const HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    m_fixedFont =
        ::CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
}

InterfaceAssistantDialog::~InterfaceAssistantDialog() {
    m_assistant.onChanged = nullptr;
    m_assistant.confirm = nullptr;
    m_assistant.showError = nullptr;
    if (m_window)
        ::DestroyWindow(m_window);
    m_window = nullptr;
    ::DeleteObject(m_fixedFont);
}

void InterfaceAssistantDialog::run(HWND owner, Win32EventLoop& loop, InterfaceAssistant& assistant) {
    InterfaceAssistantDialog dialog(assistant);
    dialog.create(owner);
    assistant.onChanged = [&dialog] { dialog.showAssistant(); };
    assistant.confirm = [&dialog](const std::string& question) {
        return ::MessageBoxA(dialog.handle(), question.c_str(), "TRAVEK", MB_YESNO | MB_ICONQUESTION) ==
               IDYES;
    };
    assistant.showError = [&dialog](const std::string& text) {
        ::MessageBoxA(dialog.handle(), text.c_str(), "Fehler", MB_OK | MB_ICONERROR);
    };
    dialog.runModal(loop);
}

void InterfaceAssistantDialog::build() {
    const DWORD combo = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    const DWORD field = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
    const DWORD number = field | ES_NUMBER;
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    auto fill = [this](int id, const std::vector<std::string>& entries) {
        for (const std::string& entry : entries)
            ::SendDlgItemMessageA(m_window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    };
    std::vector<std::string> rates;
    for (int rate : DefinitionDraft::baudRates())
        rates.push_back(std::to_string(rate));

    add("STATIC", "Port", SS_LEFT, 8, 12, 28, 18, StaticId);
    add("COMBOBOX", "", combo, 38, 8, 72, 300, PortId);
    add("STATIC", "Baud", SS_LEFT, 118, 12, 30, 18, StaticId);
    add("COMBOBOX", "", combo, 150, 8, 66, 300, BaudId);
    add("STATIC", "Datenbits", SS_LEFT, 224, 12, 52, 18, StaticId);
    add("COMBOBOX", "", combo, 278, 8, 40, 200, DataBitsId);
    add("STATIC", "Parit\xE4t", SS_LEFT, 326, 12, 40, 18, StaticId);
    add("COMBOBOX", "", combo, 368, 8, 76, 200, ParityId);
    add("STATIC", "Stoppbits", SS_LEFT, 452, 12, 50, 18, StaticId);
    add("COMBOBOX", "", combo, 504, 8, 36, 200, StopBitsId);
    add("BUTTON", "RTS/CTS", WS_TABSTOP | BS_AUTOCHECKBOX, 548, 10, 68, 20, RtsId);
    add("BUTTON", "", button, 620, 7, 88, 25, OpenId);
    fill(PortId, ComPortChoice::entries());
    fill(BaudId, rates);
    fill(DataBitsId, {"5", "6", "7", "8"});
    fill(ParityId, DefinitionDraft::parityNames());
    fill(StopBitsId, {"1", "2"});

    add("STATIC", "Oder beginnen mit der Definition", SS_LEFT, 8, 42, 172, 18, StaticId);
    add("COMBOBOX", "", combo | CBS_SORT, 182, 38, 300, 300, TemplateId);
    add("BUTTON", "\xDC&bernehmen", button, 490, 37, 90, 25, TemplateButtonId);
    const std::vector<std::string> templates = InterfaceAssistant::templates();
    fill(TemplateId, templates);
    ::SendDlgItemMessageA(m_window, TemplateId, CB_SETCURSEL, 0, 0);
    ::EnableWindow(item(TemplateButtonId), !templates.empty());

    const std::string heading = padded("Zeile (TRAVEK liest bis \xA6)", ReadColumn) + "\xA6 " +
                                padded("Kanal", ChannelColumn) + m_assistant.typedHeading();
    add("STATIC", heading.c_str(), SS_LEFT | SS_NOPREFIX, 11, 70, 681, 16, HeadingId);
    add("LISTBOX", "", WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
        8, 88, 684, 172, LinesId);
    add("BUTTON", "Liste &leeren", button, 602, 264, 90, 24, ClearId);

    add("STATIC", "Stelle", SS_LEFT, 8, 296, 110, 18, StaticId);
    add("EDIT", InterfaceAssistant::ruler().c_str(), field | ES_READONLY, 120, 292, 572, 22, RulerId);
    add("STATIC", "Zeile", SS_LEFT, 8, 320, 110, 18, StaticId);
    // The selection stays in sight, and in force, while a mark button is clicked.
    add("EDIT", "", field | ES_READONLY | ES_NOHIDESEL, 120, 316, 572, 22, LineId);
    add("STATIC", "^ Wert, ~ Kennung", SS_LEFT, 8, 344, 110, 18, StaticId);
    add("EDIT", "", field | ES_READONLY, 120, 340, 572, 22, MarksId);
    add("STATIC", "", SS_LEFT | SS_NOPREFIX, 8, 366, 684, 34, DetailsId);
    add("BUTTON", "Markierung ist der &Wert", button, 8, 404, 170, 25, MarkValueId);
    add("BUTTON", "Markierung ist die &Kennung des gew\xE4hlten Kanals", button, 184, 404, 290, 25,
        MarkIdentifierId);
    for (int id : {HeadingId, LinesId, RulerId, LineId, MarksId})
        ::SendDlgItemMessageA(m_window, id, WM_SETFONT, reinterpret_cast<WPARAM>(m_fixedFont), FALSE);

    add("STATIC", "Wert von Stelle (STARTPOS)", SS_LEFT, 8, 444, 190, 18, StaticId);
    add("EDIT", "", number, 200, 440, 40, 22, StartId);
    add("STATIC", "bis (ENDPOS)", SS_LEFT, 248, 444, 80, 18, StaticId);
    add("EDIT", "", number, 330, 440, 40, 22, EndId);
    add("STATIC", "Kan\xE4le (CNTCH)", SS_LEFT, 8, 472, 190, 18, StaticId);
    add("EDIT", "", number, 200, 468, 40, 22, CountId);
    add("STATIC", "Alle aus (DISALL)", SS_LEFT, 8, 500, 190, 18, StaticId);
    add("EDIT", "", field, 200, 496, 100, 22, DisableAllId);
    add("BUTTON", "Sen&den", button, 306, 495, 64, 24, SendAllId);
    add("STATIC", "Endezeichen (ENDCHAR1, 13 = CR)", SS_LEFT, 8, 528, 190, 18, StaticId);
    add("EDIT", "", number, 200, 524, 40, 22, EndCharId);

    add("LISTBOX", "", WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 390, 440, 302,
        68, ChannelsId);
    add("STATIC", "Kennung (MW_SIGN)", SS_LEFT, 390, 516, 150, 18, StaticId);
    add("EDIT", "", field, 542, 512, 80, 22, IdentifierId);
    add("STATIC", "Befehl (MWI_SIGN, #13 = CR)", SS_LEFT, 390, 540, 150, 18, StaticId);
    add("EDIT", "", field, 542, 536, 80, 22, CommandId);
    add("BUTTON", "Se&nden", button, 628, 535, 64, 24, SendId);

    add("EDIT", "", WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 8, 566, 684, 74,
        HintsId);
    add("STATIC", "Name", SS_LEFT, 8, 652, 40, 18, StaticId);
    add("EDIT", "", field, 50, 648, 200, 22, NameId);
    ::SendDlgItemMessageA(m_window, NameId, EM_LIMITTEXT, DefinitionDraft::MaxNameLength, 0);
    add("STATIC", ".VAL im Arbeitsordner", SS_LEFT, 256, 652, 140, 18, StaticId);
    add("BUTTON", "&Speichern", button, 520, 647, 84, 25, SaveId);
    add("BUTTON",
        "Schlie\xDF"
        "en",
        button, 608, 647, 84, 25, IDCANCEL);
}

void InterfaceAssistantDialog::showing() {
    showAssistant();
}

std::string InterfaceAssistantDialog::text(int id) const {
    const HWND control = item(id);
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(
        static_cast<std::size_t>(::GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void InterfaceAssistantDialog::setText(int id, const std::string& shown) {
    if (::GetFocus() != item(id) && text(id) != shown)
        ::SetDlgItemTextA(m_window, id, shown.c_str());
}

void InterfaceAssistantDialog::showAssistant() {
    if (!m_window)
        return;
    m_showing = true;
    const DefinitionDraft& draft = m_assistant.draft();
    const InterfaceAssistant::Connection& connection = draft.connection;
    const auto& rates = DefinitionDraft::baudRates();
    auto select = [this](int id, long index) {
        ::SendDlgItemMessageA(m_window, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    };
    select(PortId, connection.port - 1);
    select(BaudId, std::find(rates.begin(), rates.end(), connection.baud) - rates.begin());
    select(DataBitsId, connection.dataBits - 5);
    select(ParityId, connection.parity);
    select(StopBitsId, connection.stopBits - 1);
    ::CheckDlgButton(m_window, RtsId, connection.rts ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemTextA(m_window, OpenId, m_assistant.portOpen() ? "Port schlie\xDF&en" : "Port \xF6&ffnen");
    setText(StartId, std::to_string(draft.valueStart));
    setText(EndId, std::to_string(draft.valueEnd));
    setText(CountId, std::to_string(draft.channelCount));
    setText(EndCharId, std::to_string(draft.endCharacter));
    setText(DisableAllId, draft.disableAll);
    setText(NameId, m_assistant.name());
    showLines();
    showChannels();
    std::string hints;
    for (const std::string& hint : m_assistant.hints())
        hints += (hints.empty() ? "" : "\r\n") + hint;
    setText(HintsId, hints);
    m_showing = false;
}

void InterfaceAssistantDialog::showLines() {
    const HWND list = item(LinesId);
    const std::vector<InterfaceAssistant::Row> rows = m_assistant.rows();
    const LRESULT top = ::SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    const LRESULT before = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    RECT client;
    ::GetClientRect(list, &client);
    const LRESULT itemHeight = std::max<LRESULT>(1, ::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    // New lines stay in sight, unless the user is looking at one.
    const bool followEnd = selectedRow() < 0 && top + client.bottom / itemHeight >= before;
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    std::size_t longest = 0;
    for (const InterfaceAssistant::Row& row : rows) {
        const std::string entry = listEntry(row);
        longest = std::max(longest, entry.size());
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    const HDC dc = ::GetDC(list);
    const HGDIOBJ old = ::SelectObject(dc, m_fixedFont);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, "M", 1, &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(list, dc);
    ::SendMessageA(list, LB_SETHORIZONTALEXTENT,
                   static_cast<WPARAM>(size.cx * static_cast<LONG>(longest + 1)), 0);
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selectedRow()), 0);
    ::SendMessageA(list, LB_SETTOPINDEX,
                   static_cast<WPARAM>(followEnd ? std::max<LRESULT>(0, LRESULT(rows.size()) - 1) : top), 0);
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    showSelectedLine();
}

int InterfaceAssistantDialog::selectedRow() const {
    const std::ptrdiff_t row = m_selectedNumber - static_cast<std::ptrdiff_t>(m_assistant.firstEntryNumber());
    const LRESULT count = ::SendDlgItemMessageA(m_window, LinesId, LB_GETCOUNT, 0, 0);
    return m_selectedNumber < 0 || row < 0 || row >= count ? -1 : static_cast<int>(row);
}

void InterfaceAssistantDialog::showSelectedLine() {
    const int row = selectedRow();
    const std::vector<InterfaceAssistant::Row> rows =
        row < 0 ? std::vector<InterfaceAssistant::Row>{} : m_assistant.rows();
    const std::string line = row < 0 ? std::string() : rows[static_cast<std::size_t>(row)].text;
    // Set anew only when it changed, so that a selection being made stays.
    if (text(LineId) != line)
        ::SetDlgItemTextA(m_window, LineId, line.c_str());
    ::SetDlgItemTextA(m_window, MarksId, m_assistant.marks(row).c_str());
    ::SetDlgItemTextA(m_window, DetailsId, m_assistant.details(row).c_str());
}

int InterfaceAssistantDialog::selectedChannel() const {
    return std::max(selectedRow(ChannelsId), 0) + 1;
}

void InterfaceAssistantDialog::showChannels() {
    const HWND list = item(ChannelsId);
    const int selected = selectedRow(ChannelsId);
    const std::vector<std::string> entries = m_assistant.channelEntries();
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries)
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    const int keep = std::clamp(selected, 0, static_cast<int>(entries.size()) - 1);
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(keep), 0);
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    const InterfaceAssistant::Channel& channel =
        m_assistant.draft().channels[static_cast<std::size_t>(keep + 1)];
    setText(IdentifierId, channel.identifier);
    setText(CommandId, channel.command);
}

void InterfaceAssistantDialog::connectionChanged() {
    auto index = [this](int id) {
        return static_cast<int>(::SendDlgItemMessageA(m_window, id, CB_GETCURSEL, 0, 0));
    };
    InterfaceAssistant::Connection connection;
    connection.port = index(PortId) + 1;
    connection.baud = DefinitionDraft::baudRates().at(static_cast<std::size_t>(std::max(0, index(BaudId))));
    connection.dataBits = index(DataBitsId) + 5;
    connection.parity = index(ParityId);
    connection.stopBits = index(StopBitsId) + 1;
    connection.rts = ::IsDlgButtonChecked(m_window, RtsId) == BST_CHECKED;
    m_assistant.setConnection(connection);
}

void InterfaceAssistantDialog::numberChanged(int id) {
    const int value = leadingInt(text(id));
    const DefinitionDraft& draft = m_assistant.draft();
    if (id == StartId)
        m_assistant.setValuePositions(value, draft.valueEnd);
    else if (id == EndId)
        m_assistant.setValuePositions(draft.valueStart, value);
    else if (id == CountId)
        m_assistant.setChannelCount(value);
    else if (id == EndCharId)
        m_assistant.setEndCharacter(value);
}

void InterfaceAssistantDialog::mark(bool value) {
    DWORD start = 0, stop = 0;
    ::SendDlgItemMessageA(m_window, LineId, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                          reinterpret_cast<LPARAM>(&stop));
    const int first = stop > start ? static_cast<int>(start) : -1;
    const int last = stop > start ? static_cast<int>(stop) - 1 : -1;
    if (value)
        m_assistant.markValue(selectedRow(), first, last);
    else
        m_assistant.markIdentifier(selectedRow(), first, last, selectedChannel());
}

void InterfaceAssistantDialog::command(int id, int code) {
    if (m_showing)
        return;
    switch (id) {
    case PortId:
    case BaudId:
    case DataBitsId:
    case ParityId:
    case StopBitsId:
        if (code == CBN_SELCHANGE)
            connectionChanged();
        return;
    case RtsId:
        connectionChanged();
        return;
    case OpenId:
        m_assistant.togglePort();
        return;
    case TemplateButtonId:
        if (const std::string name = text(TemplateId); !name.empty())
            m_assistant.startFrom(name);
        return;
    case LinesId:
        if (code == LBN_SELCHANGE) {
            const int row = selectedRow(LinesId);
            m_selectedNumber =
                row < 0 ? -1 : static_cast<std::ptrdiff_t>(m_assistant.firstEntryNumber()) + row;
            showSelectedLine();
        }
        return;
    case ClearId:
        m_assistant.clearLines();
        return;
    case MarkValueId:
    case MarkIdentifierId:
        mark(id == MarkValueId);
        return;
    case StartId:
    case EndId:
    case CountId:
    case EndCharId:
        if (code == EN_CHANGE)
            numberChanged(id);
        else if (code == EN_KILLFOCUS)
            showAssistant(); // the number as it is taken
        return;
    case DisableAllId:
        if (code == EN_CHANGE)
            m_assistant.setDisableAllCommand(text(id));
        return;
    case SendAllId:
        m_assistant.sendDisableAll();
        return;
    case ChannelsId:
        if (code == LBN_SELCHANGE)
            showChannels();
        return;
    case IdentifierId:
        if (code == EN_CHANGE)
            m_assistant.setIdentifier(selectedChannel(), text(id));
        return;
    case CommandId:
        if (code == EN_CHANGE)
            m_assistant.setCommand(selectedChannel(), text(id));
        return;
    case SendId:
        m_assistant.sendChannelCommand(selectedChannel());
        return;
    case NameId:
        if (code == EN_CHANGE)
            m_assistant.setName(text(id));
        return;
    case SaveId:
        if (m_assistant.save() == InterfaceAssistant::Saved::YesAndSwitch)
            end(IDOK);
        return;
    case IDOK:
        return; // Enter in a field closes nothing

    default:
        break;
    }
    DialogWindow::command(id, code);
}

} // namespace travek
