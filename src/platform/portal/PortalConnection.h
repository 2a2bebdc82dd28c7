#pragma once

#include <QDBusConnection>
#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <string>

class QDBusServiceWatcher;

namespace travek {

class KeyWait;

// One RemoteDesktop session of the desktop portal, over QtDBus: the requests that set it up and
// the keysyms sent in it. Qt types stay in here; PortalKeyboard speaks plain C++.
class PortalConnection : public QObject {
    Q_OBJECT

public:
    // How long a key event may wait for the portal's reply before the keyboard counts as failed.
    static constexpr int KeyReplyMs = 2000;

    // Connects to the session bus and reads the portal's version; the key events' waits go
    // through wait. Throws Error.
    explicit PortalConnection(KeyWait& wait);
    ~PortalConnection() override;

    unsigned version() const { return m_version; }

    // CreateSession, SelectDevices (keyboard only; the restore token where the version allows it),
    // Start. Returns the restore token the desktop gave, empty when none. Throws Error; the
    // session is closed again when a later step fails.
    std::string start(const std::string& restoreToken);

    // Sends one key event and waits for the portal's reply, at most KeyReplyMs, serving the
    // program's events meanwhile. The bus keeps the order of calls only up to the portal, which
    // handles them concurrently: a call sent before the last one was answered may overtake it,
    // and a release that overtakes its press leaves the key held and auto-repeating. So only one
    // is ever outstanding. Throws Error when the portal answers with an error, does not answer in
    // time, has left the bus or the desktop ended the session; answering() then says whether the
    // portal still answers calls.
    void notifyKeysym(std::uint32_t keysym, bool down);
    bool answering() const { return m_answering; }
    // Whether the desktop ended the session (Session::Closed) or the portal left the bus, as far
    // as the event loop has delivered it.
    bool closed() const { return m_closed || m_vanished || !m_bus.isConnected(); }

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);
    void onClosed();
    void onVanished();

private:
    // Calls a portal method that answers with a Request object and waits for the Request's
    // Response, at most timeoutMs. The returned map holds the results of a success; any other
    // answer throws Error naming what.
    QVariantMap request(const QString& method, QList<QVariant> arguments, QVariantMap options, int timeoutMs,
                        const std::string& what);
    QString nextToken();
    void closeSession();

    QDBusConnection m_bus;
    KeyWait& m_wait;
    QDBusServiceWatcher* m_watcher = nullptr;
    bool m_vanished = false;
    bool m_answering = true;
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
