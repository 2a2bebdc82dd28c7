#include "gui/win32/TrendWindow.h"

#include "core/files/FileIo.h"
#include "core/session/Session.h"
#include "core/session/SessionFiles.h"
#include "gui/win32/ChartView.h"

namespace travek {

TrendWindow::TrendWindow(Session& session)
    : DialogWindow("Verlauf", 1000, 480, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
      m_session(session) {
    ChartView::registerClass();
}

void TrendWindow::build() {
    ChartView::attach(add(ChartView::WindowClass, "", 0, 0, 0, 730, 480, ChartId), &m_series);
    for (int rule = 1; rule <= ControlRules::Count; ++rule)
        add("BUTTON", ("Regel " + std::to_string(rule)).c_str(), WS_TABSTOP | BS_AUTOCHECKBOX, 740,
            8 + (rule - 1) * 24, 250, 20, RuleId + rule - 1);
    add("BUTTON", "Neu beginnen", WS_TABSTOP | BS_PUSHBUTTON, 740, 106, 130, 26, RestartId);
    add("LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 740, 140, 252,
        332, BreakListId);
    ::SendDlgItemMessageA(m_window, BreakListId, LB_SETHORIZONTALEXTENT, scaled(420), 0);
}

void TrendWindow::showStep(int step) {
    m_chart.show(step, m_session.recorder().logFile(), findPathIgnoreCase(SessionFiles::SettingsFileName));
    refresh();
    keepInWorkArea();
    ::ShowWindow(m_window, SW_SHOW);
    ::SetForegroundWindow(m_window);
}

void TrendWindow::take(const JudgedValue& value) {
    if (m_chart.take(value) && ::IsWindowVisible(m_window))
        refresh();
}

void TrendWindow::command(int id, int code) {
    if (id >= RuleId && id < RuleId + ControlRules::Count && code == BN_CLICKED) {
        m_chart.setRule(id - RuleId + 1, ::IsDlgButtonChecked(m_window, id) == BST_CHECKED);
        refresh();
    } else if (id == RestartId && m_chart.showing()) {
        m_chart.restart();
        m_session.restartTrend(m_chart.characteristic());
        refresh();
    } else if (id == IDCANCEL) {
        closeRequested();
    }
}

void TrendWindow::refresh() {
    for (int rule = 1; rule <= ControlRules::Count; ++rule)
        ::CheckDlgButton(m_window, RuleId + rule - 1,
                         m_chart.rules().isOn(rule) ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(item(RestartId), m_chart.showing());
    m_series = m_chart.series();
    ::SendDlgItemMessageA(m_window, BreakListId, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : TrendChart::breakList(m_series))
        ::SendDlgItemMessageA(m_window, BreakListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    ::SetWindowTextA(m_window, m_series.title.c_str());
    ::InvalidateRect(item(ChartId), nullptr, FALSE);
}

} // namespace travek
