#pragma once

#include <QDBusConnection>
#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <string>

namespace travek {

// One RemoteDesktop session of the desktop portal, over QtDBus: the requests that set it up and
// the keysyms sent in it. Qt types stay in here; PortalKeyboard speaks plain C++.
class PortalConnection : public QObject {
    Q_OBJECT

public:
    // Connects to the session bus and reads the portal's version. Throws Error.
    PortalConnection();
    ~PortalConnection() override;

    unsigned version() const { return m_version; }

    // CreateSession, SelectDevices (keyboard only; the restore token where the version allows it),
    // Start. Returns the restore token the desktop gave, empty when none. Throws Error; the
    // session is closed again when a later step fails.
    std::string start(const std::string& restoreToken);

    // Sent without waiting for an answer: the bus keeps the order, and the next key goes out at
    // once. False when the connection is gone.
    bool notifyKeysym(std::uint32_t keysym, bool down);
    // Whether the desktop ended the session (Session::Closed), as far as the event loop has
    // delivered it.
    bool closed() const { return m_closed || !m_bus.isConnected(); }

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);
    void onClosed();

private:
    // Calls a portal method that answers with a Request object and waits for the Request's
    // Response, at most timeoutMs. The returned map holds the results of a success; any other
    // answer throws Error naming what.
    QVariantMap request(const QString& method, QList<QVariant> arguments, QVariantMap options, int timeoutMs,
                        const std::string& what);
    QString nextToken();
    void closeSession();

    QDBusConnection m_bus;
    unsigned m_version = 0;
    QString m_session;
    unsigned m_tokens = 0;
    bool m_closed = false;
    // The Response being waited for.
    bool m_answered = false;
    QEventLoop* m_waiting = nullptr;
    uint m_response = 0;
    QVariantMap m_results;
};

} // namespace travek
