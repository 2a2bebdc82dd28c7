#include "platform/portal/InputMethodWatch.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <cctype>

namespace travek {

namespace {

const QString InputMethodName = QStringLiteral("org.freedesktop.IBus");
// Mutter's fix: the modifiers go to the window together with the key they belong to.
constexpr int FixedMajor = 49;
constexpr int FixedMinor = 1;

} // namespace

bool InputMethodWatch::sendsModifiersEarly(std::string_view version) {
    auto number = [&version](std::size_t& at) {
        int value = -1;
        for (; at < version.size() && std::isdigit(static_cast<unsigned char>(version[at])); ++at)
            value = (value < 0 ? 0 : value * 10) + (version[at] - '0');
        return value;
    };
    std::size_t at = 0;
    const int major = number(at);
    if (major < 0)
        return true;
    // "49.alpha", "49.rc" come before 49.0.
    const int minor = at < version.size() && version[at] == '.' ? number(++at) : 0;
    return major < FixedMajor || (major == FixedMajor && minor < FixedMinor);
}

InputMethodWatch::InputMethodWatch(QDBusConnection bus) {
    QDBusMessage get = QDBusMessage::createMethodCall("org.gnome.Shell", "/org/gnome/Shell",
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << QStringLiteral("org.gnome.Shell") << QStringLiteral("ShellVersion");
    // Elsewhere no GNOME Shell is started for the question.
    get.setAutoStartService(false);
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        QString version = reply.arguments().first().value<QDBusVariant>().variant().toString();
        // GNOME that does not say its version is GNOME all the same.
        if (version.isEmpty())
            version = QStringLiteral("?");
        m_shellVersion = version.toStdString();
        m_modifiersEarly = sendsModifiersEarly(m_shellVersion);
    }
    // Watching first, asking after: the input method cannot come in between unseen.
    m_watcher = new QDBusServiceWatcher(
        InputMethodName, bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { m_inputMethod = true; });
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { m_inputMethod = false; });
    if (bus.interface())
        m_inputMethod = bus.interface()->isServiceRegistered(InputMethodName).value();
}

} // namespace travek
