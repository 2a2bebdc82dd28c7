#include "gui/qt/QtKeyWait.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <QWindow>

#include <algorithm>
#include <optional>
#include <utility>

namespace travek {

QtKeyWait::QtKeyWait(QObject* parent) : QObject(parent) {
    m_handOn.setSingleShot(true);
    m_handOn.setInterval(0);
    connect(&m_handOn, &QTimer::timeout, this, &QtKeyWait::handOnHeldInput);
}

QtKeyWait::~QtKeyWait() {
    if (m_depth > 0 && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void QtKeyWait::enter() {
    if (m_depth++ == 0)
        QCoreApplication::instance()->installEventFilter(this);
}

void QtKeyWait::leave() {
    if (--m_depth > 0)
        return;
    QCoreApplication::instance()->removeEventFilter(this);
    // The timer may fire inside the next wait of the same line; it is started again after it.
    if (!m_heldInput.empty())
        m_handOn.start();
}

void QtKeyWait::dispatch() {
    enter();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    leave();
}

// Events are taken in batches until the wait ends, rather than in a nested QEventLoop: once the
// application quits, a nested loop returns at once, and a keyboard still waiting for its server's
// answer would spin.
void QtKeyWait::waitUntil(Clock::time_point deadline, std::intptr_t readable) {
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    enter();
    bool woken = false;
    bool* outer = std::exchange(m_woken, &woken);
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, [&woken] { woken = true; });
    timer.start(static_cast<int>(std::max<std::int64_t>(remaining.count(), 0)));
    std::optional<QSocketNotifier> notifier;
    if (readable >= 0) {
        notifier.emplace(static_cast<qintptr>(readable), QSocketNotifier::Read);
        connect(&*notifier, &QSocketNotifier::activated, this, [&woken, &notifier] {
            woken = true;
            notifier->setEnabled(false);
        });
    }
    while (!woken && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_woken = outer;
    leave();
}

void QtKeyWait::wake() {
    if (!m_woken)
        return;
    *m_woken = true;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}

bool QtKeyWait::eventFilter(QObject* watched, QEvent* event) {
    // Input reaches a window first; held there, none of its widgets sees it. A modal dialog
    // opened meanwhile (an error box) is served, or nobody could close it.
    if (!event->isInputEvent() || !event->spontaneous() || !watched->isWindowType() ||
        QApplication::activeModalWidget())
        return false;
    m_heldInput.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
    return true;
}

void QtKeyWait::handOnHeldInput() {
    if (m_depth > 0)
        return; // leave() starts the timer again
    std::vector<HeldInput> held = std::move(m_heldInput);
    m_heldInput.clear();
    for (HeldInput& input : held) {
        auto* window = qobject_cast<QWindow*>(input.receiver.data());
        // A window closed meanwhile takes nothing more.
        if (window && window->isVisible())
            QCoreApplication::sendEvent(window, input.event.get());
    }
}

} // namespace travek
