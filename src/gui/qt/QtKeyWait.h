#pragma once

#include "core/typing/KeyWait.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

class QEvent;

namespace travek {

// A keyboard's waits in Qt's event loop. Everything but the user's input to TRAVEK's own windows is
// served while a text is typed: the port's data, timers, signals, and the close of the main
// window, so an exit is served at once. The user's input (a double-click restarting the sequence,
// a menu opening a dialog) is held and handed on once the text is typed, as a click in the middle
// of a value must not change what the value's keys do. A modal dialog that is open gets its input.
class QtKeyWait : public QObject, public KeyWait {
    Q_OBJECT

public:
    explicit QtKeyWait(QObject* parent = nullptr);
    ~QtKeyWait() override;

    void dispatch() override;
    void waitUntil(Clock::time_point deadline, std::intptr_t readable = -1) override;
    void wake() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void enter();
    void leave();
    void handOnHeldInput();

    int m_depth = 0;
    // The innermost wait's flag, set by wake().
    bool* m_woken = nullptr;
    struct HeldInput {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<HeldInput> m_heldInput;
    // Hands the held input on from the event loop that runs once the text is typed.
    QTimer m_handOn;
};

} // namespace travek
