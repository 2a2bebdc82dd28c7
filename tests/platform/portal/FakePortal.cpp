// A stand-in for the desktop's RemoteDesktop portal on a private session bus. It answers as the
// real one does — each request with a Request object whose Response signal follows the reply —
// and records every call, which the test reads back through org.travek.FakePortal.Calls.
// The portal's version (2 keeps permissions with a restore token) is the first argument; a second
// one makes it GNOME Shell of that version too (org.gnome.Shell's ShellVersion).
//
// Key events are handled the way xdg-desktop-portal handles them: concurrently. Each one takes
// effect (is recorded) after a small random delay of its own and is answered only then, so calls
// that a sender does not wait for overtake each other, as they do on GNOME and KDE. The test can
// also make it answer a key with an error, stop answering, or leave the bus.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <cstdio>
#include <cstdlib>

namespace {

const QString DesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");

QStringList recorded;

class FakeSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")

public Q_SLOTS:
    void Close() {
        recorded << "Close";
        QDBusConnection::sessionBus().unregisterObject(objectName());
        deleteLater();
    }
};

class FakeRemoteDesktop : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.RemoteDesktop")
    Q_PROPERTY(uint version READ version)
    Q_PROPERTY(uint AvailableDeviceTypes READ availableDeviceTypes)

public:
    explicit FakeRemoteDesktop(uint version) : m_version(version) {}
    uint version() const { return m_version; }
    uint availableDeviceTypes() const { return 7; }
    uint startAnswer = 0;
    QString session;
    // Counted from 1 over the key events: the one answered with an error, the first of those never
    // answered, the one at which the portal leaves the bus; 0 for none.
    uint failAt = 0;
    uint silentFrom = 0;
    uint vanishAt = 0;

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
        recorded << "CreateSession";
        session = DesktopPath + "/session/" + senderPart(message) + "/" +
                  options.value("session_handle_token").toString();
        auto* object = new FakeSession;
        object->setObjectName(session);
        QDBusConnection::sessionBus().registerObject(session, object, QDBusConnection::ExportAllSlots);
        return respond(message, options, 0, {{"session_handle", session}});
    }

    QDBusObjectPath SelectDevices(const QDBusObjectPath& handle, const QVariantMap& options,
                                  const QDBusMessage& message) {
        QString call = QStringLiteral("SelectDevices types=%1").arg(options.value("types").toUInt());
        if (options.contains("persist_mode"))
            call += QStringLiteral(" persist_mode=%1").arg(options.value("persist_mode").toUInt());
        if (options.contains("restore_token"))
            call += " restore_token=" + options.value("restore_token").toString();
        recorded << call + sessionCheck(handle);
        return respond(message, options, 0, {});
    }

    QDBusObjectPath Start(const QDBusObjectPath& handle, const QString&, const QVariantMap& options,
                          const QDBusMessage& message) {
        recorded << "Start" + sessionCheck(handle);
        if (startAnswer != 0)
            return respond(message, options, startAnswer, {});
        return respond(message, options, 0,
                       {{"devices", QVariant::fromValue(uint(1))},
                        {"restore_token", QStringLiteral("token%1").arg(++m_tokens)}});
    }

    void NotifyKeyboardKeysym(const QDBusObjectPath& handle, const QVariantMap&, int keysym, uint state,
                              const QDBusMessage& message) {
        const QString call = QStringLiteral("key 0x%1 %2").arg(keysym, 0, 16).arg(state ? "down" : "up") +
                             sessionCheck(handle);
        ++m_keyCalls;
        if (m_keyCalls == vanishAt) {
            std::fflush(nullptr);
            std::_Exit(0); // as a portal that crashed: no reply, and its name is gone
        }
        message.setDelayedReply(true);
        if (silentFrom != 0 && m_keyCalls >= silentFrom)
            return; // never answered, never typed
        if (m_keyCalls == failAt) {
            QDBusConnection::sessionBus().send(message.createErrorReply(
                QDBusError::AccessDenied, QStringLiteral("the session is not allowed keys")));
            return;
        }
        QTimer::singleShot(QRandomGenerator::global()->bounded(4), [call, message] {
            recorded << call;
            QDBusConnection::sessionBus().send(message.createReply());
        });
    }

private:
    static QString senderPart(const QDBusMessage& message) {
        QString sender = message.service().mid(1);
        return sender.replace('.', '_');
    }
    QString sessionCheck(const QDBusObjectPath& handle) const {
        return handle.path() == session ? QString() : " (unknown session " + handle.path() + ")";
    }
    // The reply names the Request; its Response comes after the reply, as the real portal's does.
    QDBusObjectPath respond(const QDBusMessage& message, const QVariantMap& options, uint answer,
                            const QVariantMap& results) {
        const QString request =
            DesktopPath + "/request/" + senderPart(message) + "/" + options.value("handle_token").toString();
        QTimer::singleShot(1, [request, answer, results] {
            QDBusMessage response =
                QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
            response << answer << results;
            QDBusConnection::sessionBus().send(response);
        });
        return QDBusObjectPath(request);
    }

    uint m_version;
    int m_tokens = 0;
    uint m_keyCalls = 0;
};

// What the test asks: the calls so far, and the answer to the next Start (1: the user refused).
class Control : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.travek.FakePortal")

public:
    explicit Control(FakeRemoteDesktop& portal) : m_portal(portal) {}

public Q_SLOTS:
    QStringList Calls() { return recorded; }
    void AnswerStartWith(uint answer) { m_portal.startAnswer = answer; }
    // The misbehaviour at the key event given, counted from 1 over the key events since start.
    void FailKeyAt(uint n) { m_portal.failAt = n; }
    void SilentFromKey(uint n) { m_portal.silentFrom = n; }
    void VanishAtKey(uint n) { m_portal.vanishAt = n; }
    // The desktop ends the session, as when the user revokes the permission.
    void CloseSession() {
        QDBusConnection::sessionBus().send(
            QDBusMessage::createSignal(m_portal.session, "org.freedesktop.portal.Session", "Closed"));
    }
    // Another service comes to the bus, or leaves it (an input method started or ended).
    void TakeName(const QString& name) { QDBusConnection::sessionBus().registerService(name); }
    void ReleaseName(const QString& name) { QDBusConnection::sessionBus().unregisterService(name); }

private:
    FakeRemoteDesktop& m_portal;
};

class FakeShell : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell")
    Q_PROPERTY(QString ShellVersion MEMBER version)

public:
    QString version;
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const uint version = argc > 1 ? QString(argv[1]).toUInt() : 2;
    FakeRemoteDesktop portal(version);
    Control control(portal);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(DesktopPath, &portal,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) ||
        !bus.registerObject("/travek/fake", &control, QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.freedesktop.portal.Desktop")) {
        std::fprintf(stderr, "fake portal: cannot register on the session bus\n");
        return 1;
    }
    FakeShell shell;
    shell.version = argc > 2 ? QString(argv[2]) : QString();
    if (argc > 2 && (!bus.registerObject("/org/gnome/Shell", &shell, QDBusConnection::ExportAllProperties) ||
                     !bus.registerService("org.gnome.Shell"))) {
        std::fprintf(stderr, "fake portal: cannot register as GNOME Shell\n");
        return 1;
    }
    return app.exec();
}

#include "FakePortal.moc"
