#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace travek {

// Turns SIGTERM and SIGINT into a normal close of the main window on the UI thread, so the
// sequence and settings are saved as on any other exit. A signal handler may only write to a
// pipe; the notifier picks it up in the event loop.
class SignalCloser : public QObject {
    Q_OBJECT
public:
    explicit SignalCloser(std::function<void()> close, QObject* parent = nullptr);
    ~SignalCloser() override;

private:
    void onSignal();

    std::function<void()> m_close;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace travek
