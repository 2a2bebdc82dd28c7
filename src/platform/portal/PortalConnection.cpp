#include "platform/portal/PortalConnection.h"

#include "core/text/Error.h"
#include "core/text/TextHelpers.h"
#include "core/typing/KeyWait.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>

namespace travek {

namespace {

const QString Service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString DesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString RemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");

constexpr uint KeyboardDevice = 1;
// Kept until the user revokes it.
constexpr uint PersistUntilRevoked = 2;
// The portal's answers in Request::Response.
constexpr uint Cancelled = 1;

// A portal answers its own requests within moments; only Start may wait for the user.
constexpr int PortalAnswerMs = 30000;
constexpr int UserAnswerMs = 5 * 60 * 1000;

std::string toProgramText(const QString& text) {
    return systemTextToWin1252(text.toStdString());
}

QDBusMessage portalCall(const QString& method) {
    return QDBusMessage::createMethodCall(Service, DesktopPath, RemoteDesktop, method);
}

} // namespace

PortalConnection::PortalConnection(KeyWait& wait) : m_bus(QDBusConnection::sessionBus()), m_wait(wait) {
    if (!QCoreApplication::instance())
        throw Error("the portal keyboard needs the program's event loop");
    if (!m_bus.isConnected())
        throw Error("no D-Bus session bus (" + toProgramText(m_bus.lastError().message()) + ")");
    QDBusMessage get =
        QDBusMessage::createMethodCall(Service, DesktopPath, "org.freedesktop.DBus.Properties", "Get");
    get << RemoteDesktop << QStringLiteral("version");
    const QDBusMessage reply = m_bus.call(get, QDBus::Block, PortalAnswerMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        throw Error("the desktop offers no RemoteDesktop portal (" + toProgramText(reply.errorMessage()) +
                    ")");
    m_version = reply.arguments().first().value<QDBusVariant>().variant().toUInt();
    // The portal's name losing its owner (NameOwnerChanged) means the portal process is gone, and
    // with it the session: no key sent after that arrives anywhere.
    m_watcher = new QDBusServiceWatcher(Service, m_bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &PortalConnection::onVanished);
}

PortalConnection::~PortalConnection() {
    closeSession();
}

QString PortalConnection::nextToken() {
    return QStringLiteral("travek%1_%2").arg(QCoreApplication::applicationPid()).arg(++m_tokens);
}

void PortalConnection::closeSession() {
    if (m_session.isEmpty() || m_closed || m_vanished)
        return;
    m_bus.send(QDBusMessage::createMethodCall(Service, m_session, "org.freedesktop.portal.Session", "Close"));
    m_closed = true;
}

QVariantMap PortalConnection::request(const QString& method, QList<QVariant> arguments, QVariantMap options,
                                      int timeoutMs, const std::string& what) {
    // The Request's path is known before the call (the sender's name and our token), so the
    // Response cannot slip past between the call's reply and subscribing to it.
    const QString token = nextToken();
    options.insert("handle_token", token);
    QString sender = m_bus.baseService().mid(1);
    sender.replace('.', '_');
    QString path = DesktopPath + "/request/" + sender + "/" + token;
    auto subscribe = [&](const QString& requestPath, bool on) {
        if (on)
            m_bus.connect(Service, requestPath, "org.freedesktop.portal.Request", "Response", this,
                          SLOT(onResponse(uint, QVariantMap)));
        else
            m_bus.disconnect(Service, requestPath, "org.freedesktop.portal.Request", "Response", this,
                             SLOT(onResponse(uint, QVariantMap)));
    };
    subscribe(path, true);
    m_answered = false;

    QDBusMessage call = portalCall(method);
    arguments.append(options);
    call.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, PortalAnswerMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        subscribe(path, false);
        throw Error("the desktop portal refused " + what + " (" + toProgramText(reply.errorMessage()) + ")");
    }
    // Portals older than the handle_token convention choose their own path.
    const QString given = reply.arguments().first().value<QDBusObjectPath>().path();
    if (!given.isEmpty() && given != path) {
        subscribe(path, false);
        path = given;
        subscribe(path, true);
    }

    if (!m_answered) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        timeout.start(timeoutMs);
        m_waiting = &loop;
        loop.exec();
        m_waiting = nullptr;
    }
    subscribe(path, false);
    if (!m_answered)
        throw Error("the desktop did not answer the request for " + what);
    if (m_response == Cancelled)
        throw Error("the user refused " + what);
    if (m_response != 0)
        throw Error("the desktop ended the request for " + what + " (answer " + std::to_string(m_response) +
                    ")");
    return m_results;
}

void PortalConnection::onResponse(uint response, const QVariantMap& results) {
    m_answered = true;
    m_response = response;
    m_results = results;
    if (m_waiting)
        m_waiting->quit();
}

void PortalConnection::onClosed() {
    m_closed = true;
    m_wait.wake();
}

void PortalConnection::onVanished() {
    m_vanished = true;
    m_wait.wake();
}

std::string PortalConnection::start(const std::string& restoreToken) {
    QVariantMap options{{"session_handle_token", nextToken()}};
    const QVariantMap created =
        request("CreateSession", {}, options, PortalAnswerMs, "a remote-desktop session");
    const QVariant handle = created.value("session_handle");
    // A string by the portal's description; some portals send an object path.
    m_session = handle.userType() == qMetaTypeId<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                                    : handle.toString();
    if (m_session.isEmpty())
        throw Error("the desktop portal gave no session");
    m_bus.connect(Service, m_session, "org.freedesktop.portal.Session", "Closed", this, SLOT(onClosed()));

    try {
        QVariantMap devices{{"types", QVariant::fromValue(KeyboardDevice)}};
        if (m_version >= 2) {
            devices.insert("persist_mode", QVariant::fromValue(PersistUntilRevoked));
            if (!restoreToken.empty())
                devices.insert("restore_token", QString::fromStdString(restoreToken));
        }
        request("SelectDevices", {QVariant::fromValue(QDBusObjectPath(m_session))}, devices, PortalAnswerMs,
                "the keyboard");
        const QVariantMap started =
            request("Start", {QVariant::fromValue(QDBusObjectPath(m_session)), QString()}, {}, UserAnswerMs,
                    "the permission to type");
        if (!(started.value("devices").toUInt() & KeyboardDevice))
            throw Error("the desktop gave no keyboard");
        return started.value("restore_token").toString().toStdString();
    } catch (const Error&) {
        closeSession();
        throw;
    }
}

void PortalConnection::notifyKeysym(std::uint32_t keysym, bool down) {
    const std::string restart = "; restart TRAVEK to type again";
    // Each cause in its own words: a session bus that died is not a portal that left it, nor a
    // desktop that ended the session.
    if (!m_bus.isConnected()) {
        m_answering = false;
        throw Error("the connection to the session bus was lost" + restart);
    }
    if (m_vanished) {
        m_answering = false;
        throw Error("the desktop portal left the session bus" + restart);
    }
    if (m_closed)
        throw Error("the desktop ended the keyboard session of the RemoteDesktop portal" + restart);
    QDBusMessage call = portalCall("NotifyKeyboardKeysym");
    call << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariantMap() << static_cast<int>(keysym)
         << static_cast<uint>(down ? 1 : 0);
    // QtDBus ends the call with an error of its own a little after the wait below gives up.
    QDBusPendingCallWatcher reply(m_bus.asyncCall(call, KeyReplyMs + 1000));
    connect(&reply, &QDBusPendingCallWatcher::finished, this, [this] { m_wait.wake(); });
    const auto deadline = KeyWait::Clock::now() + std::chrono::milliseconds(KeyReplyMs);
    // A stop of the keyboard does not end this wait: the next event (a release) must not be sent
    // before this one is answered, or it could overtake it.
    while (!reply.isFinished() && !m_vanished && KeyWait::Clock::now() < deadline)
        m_wait.waitUntil(deadline);
    if (reply.isFinished() && !reply.isError())
        return;
    // The bus answers for a portal that went away, possibly before NameOwnerChanged is read: with
    // NoReply when it went with the call unanswered (QtDBus's own time-out comes only after the
    // wait above has given up).
    const QDBusError::ErrorType error = reply.isFinished() ? reply.error().type() : QDBusError::NoError;
    if (m_vanished || error == QDBusError::ServiceUnknown || error == QDBusError::Disconnected ||
        error == QDBusError::NoReply) {
        m_answering = false;
        throw Error("the desktop portal left the session bus" + restart);
    }
    if (!reply.isFinished()) {
        m_answering = false;
        throw Error("the desktop portal did not answer a key within " + std::to_string(KeyReplyMs / 1000) +
                    " s" + restart);
    }
    throw Error("the desktop portal refused a key (" + toProgramText(reply.error().name()) + ": " +
                toProgramText(reply.error().message()) + ")" + restart);
}

} // namespace travek
