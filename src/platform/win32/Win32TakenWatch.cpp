#include "platform/win32/Win32TakenWatch.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace travek {

void Win32TakenWatch::begin() {
    end();
    m_failure.clear();
    const HWND foreground = ::GetForegroundWindow();
    if (!foreground)
        return;
    const DWORD thread = ::GetWindowThreadProcessId(foreground, nullptr);
    if (thread == 0 || thread == ::GetCurrentThreadId())
        return;
    if (!::AttachThreadInput(::GetCurrentThreadId(), thread, TRUE)) {
        // A program running with higher rights than TRAVEK's (Windows keeps their input apart,
        // and takes no keys from TRAVEK for it either), or a window that went away meanwhile.
        m_failure = "Windows l\xE4sst TRAVEK die Eingabe des Zielfensters nicht pr\xFC"
                    "fen (Fehler " +
                    std::to_string(::GetLastError()) + ")";
        return;
    }
    m_thread = thread;
    m_attached = true;
    // The state as the thread has it now, before any key of the line.
    m_markerToggle = (::GetKeyState(marker()) & 1) != 0;
}

void Win32TakenWatch::timedOut() {
    m_markerIndex = (m_markerIndex + 1) % MarkerKeys.size();
    if (m_attached)
        m_markerToggle = (::GetKeyState(marker()) & 1) != 0;
}

void Win32TakenWatch::markerSent() {
    m_markerToggle = !m_markerToggle;
}

bool Win32TakenWatch::taken() const {
    if (!m_attached)
        return true;
    return ((::GetKeyState(marker()) & 1) != 0) == m_markerToggle;
}

void Win32TakenWatch::end() {
    if (m_attached)
        (void)::AttachThreadInput(::GetCurrentThreadId(), m_thread, FALSE);
    m_attached = false;
    m_thread = 0;
}

} // namespace travek
