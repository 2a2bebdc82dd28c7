#include "gui/qt/DialogRunner.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace travek {

namespace {

// How long a dialog waits for its owner to reach the screen. A window manager that maps windows
// at all does so within a few frames even on a loaded machine; beyond this the dialog is shown
// anyway rather than never.
constexpr int OwnerOnScreenTimeoutMs = 2000;

} // namespace

int DialogRunner::run(QDialog& dialog) {
    if (!m_ending) {
        m_running.emplace_back(&dialog);
        const int result = exec(dialog);
        std::erase_if(m_running, [&dialog](const QPointer<QDialog>& d) { return !d || d == &dialog; });
        if (!m_ending)
            return result;
    }
    if (const auto* box = qobject_cast<QMessageBox*>(&dialog))
        std::fprintf(stderr, "travek: %s\n", box->text().toLocal8Bit().constData());
    return QDialog::Rejected;
}

void DialogRunner::endAll() {
    m_ending = true;
    // Each ends its own event loop, which returns once the caller of endAll() has returned to it.
    const auto running = m_running;
    for (const QPointer<QDialog>& dialog : running)
        if (dialog)
            dialog->done(QDialog::Rejected);
}

int DialogRunner::exec(QDialog& dialog) {
    if (QWidget* owner = dialog.parentWidget())
        putOnScreen(*owner->window());
    // The wait may have served a request to end.
    if (m_ending)
        return QDialog::Rejected;
    return dialog.exec();
}

void DialogRunner::putOnScreen(QWidget& owner) {
    // A box of the window's creation (a refused ablauf.abl) comes before the window was ever
    // shown, and one of the start-up may come before a slow desktop has put the window on the
    // screen: the box would stand alone, and the user would not see which program asks. Qt marks
    // a widget mapped once its window is exposed and painted.
    if (owner.testAttribute(Qt::WA_Mapped) || m_waitedFor == &owner)
        return;
    m_waitedFor = &owner;
    owner.show();
    QElapsedTimer waited;
    waited.start();
    // Wakes the wait up when nothing else happens; user input waits until the box is there.
    QTimer wake;
    wake.start(50);
    while (!owner.testAttribute(Qt::WA_Mapped) && !m_ending && waited.elapsed() < OwnerOnScreenTimeoutMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
}

bool askYesNo(DialogRunner& runner, QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("TRAVEK"), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName("QuestionBox");
    // Questions quote file names and device lines: never rendered as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    // Without a translation Qt says "Yes" and "No"; the program's words are German.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nein"));
    return runner.run(box) == QMessageBox::Yes;
}

void runErrorBox(DialogRunner& runner, QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Fehler"), text, QMessageBox::Ok, parent);
    box.setObjectName("ErrorBox");
    box.setTextFormat(Qt::PlainText);
    runner.run(box);
}

} // namespace travek
