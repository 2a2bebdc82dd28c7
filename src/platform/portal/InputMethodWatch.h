#pragma once

#include <QDBusConnection>
#include <QObject>

#include <string>
#include <string_view>

class QDBusServiceWatcher;

namespace travek {

// Whether the desktop hands keys to windows that take text late, with their modifiers sent early
// (see ModifierHold): GNOME before 49.1 with an input method on the session bus. GNOME is known by
// its shell on the session bus (org.gnome.Shell, whose ShellVersion is mutter's version too: the
// two are released together); the input method, IBus, by its name there (org.freedesktop.IBus),
// followed as it comes and goes (the user may end or restart it).
class InputMethodWatch : public QObject {
    Q_OBJECT

public:
    // Asks the bus once for GNOME Shell's version, at most a second.
    explicit InputMethodWatch(QDBusConnection bus);

    // GNOME Shell's version, empty when the desktop is not GNOME.
    const std::string& shellVersion() const { return m_shellVersion; }
    bool inputMethodRunning() const { return m_inputMethod; }
    bool delaysKeys() const { return m_modifiersEarly && m_inputMethod; }

    // Whether mutter of this version sends the modifiers when a key comes in rather than with the
    // key (before 49.1). A version that cannot be read counts as such: holding keys there costs
    // time, not holding them costs right values.
    static bool sendsModifiersEarly(std::string_view shellVersion);

private:
    QDBusServiceWatcher* m_watcher = nullptr;
    std::string m_shellVersion;
    bool m_modifiersEarly = false;
    bool m_inputMethod = false;
};

} // namespace travek
