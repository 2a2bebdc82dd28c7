// The portal keyboard against a fake RemoteDesktop portal (travek-fake-portal) on a private
// session bus that the test starts itself. Without dbus-daemon the tests are skipped, except under
// CI=true, where that is a failure.
#include "platform/portal/PortalKeyboard.h"
#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"
#include "core/typing/LayoutKeySender.h"
#include "gui/qt/QtKeyWait.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon-keysyms.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace travek {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

const QString PortalName = QStringLiteral("org.freedesktop.portal.Desktop");

bool inCi() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) == "true";
}

// A session bus of its own, with no service files: nothing but the fake can own the portal's name.
const char* BusConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

std::string keyEvent(unsigned keysym, bool down) {
    char text[40];
    std::snprintf(text, sizeof text, "key 0x%x %s", keysym, down ? "down" : "up");
    return text;
}

std::vector<std::string> tapEvents(unsigned keysym) {
    return {keyEvent(keysym, true), keyEvent(keysym, false)};
}

// The Qt session-bus connection is made once per process, so one bus serves the whole program;
// every test starts its own fake portal on it.
class PortalKeyboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        busDir = new test::TempDir;
        busDir->write("bus.conf", BusConfig);
        bus = new QProcess;
        bus->start("dbus-daemon", {"--config-file=" + QString::fromStdString(busDir->file("bus.conf")),
                                   "--nofork", "--print-address"});
        if (!bus->waitForStarted(5000) || !bus->waitForReadyRead(10000))
            return;
        const QByteArray address = bus->readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    }
    static void TearDownTestSuite() {
        bus->kill();
        bus->waitForFinished();
        delete bus;
        delete busDir;
    }

    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
            !QDBusConnection::sessionBus().isConnected()) {
            if (inCi())
                FAIL() << "dbus-daemon did not start";
            GTEST_SKIP() << "no dbus-daemon here";
        }
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(dir.path()));
    }
    void TearDown() override {
        if (!portal)
            return;
        portal->kill();
        portal->waitForFinished();
        waitFor([] { return !QDBusConnection::sessionBus().interface()->isServiceRegistered(PortalName); });
    }

    // With a shell version, the fake is GNOME Shell of that version too.
    void startPortal(int version = 2, const QString& shellVersion = {}) {
        portal = std::make_unique<QProcess>();
        portal->setProcessChannelMode(QProcess::ForwardedChannels);
        QStringList arguments{QString::number(version)};
        if (!shellVersion.isEmpty())
            arguments << shellVersion;
        portal->start(TRAVEK_FAKE_PORTAL, arguments);
        ASSERT_TRUE(portal->waitForStarted(5000));
        ASSERT_TRUE(waitFor([] {
            return QDBusConnection::sessionBus().interface()->isServiceRegistered(PortalName).value();
        })) << "the fake portal did not take its name";
    }
    template <typename Condition> static bool waitFor(Condition condition) {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > 10000)
                return false;
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        return true;
    }

    // The fake's control calls go on the keyboard's own connection, so they arrive after every key
    // it sent before.
    QDBusMessage control(const QString& method, const QList<QVariant>& arguments = {}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(PortalName, "/travek/fake", "org.travek.FakePortal", method);
        call.setArguments(arguments);
        return QDBusConnection::sessionBus().call(call);
    }
    std::vector<std::string> calls() {
        std::vector<std::string> result;
        for (const QString& call : control("Calls").arguments().value(0).toStringList())
            result.push_back(call.toStdString());
        return result;
    }
    std::unique_ptr<KeyOutput> openKeys() {
        return createKeyOutput(
            "portal", [this] { wait.dispatch(); }, &wait);
    }
    std::string failureOf() {
        try {
            openKeys();
            return {};
        } catch (const Error& error) {
            return error.what();
        }
    }
    // What typing keys ends with: empty when it worked.
    static std::string typingFailure(KeyOutput& keys, std::string_view text) {
        try {
            keys.sendKeys(text);
            return {};
        } catch (const Error& error) {
            return error.what();
        }
    }

    inline static QProcess* bus = nullptr;
    inline static test::TempDir* busDir = nullptr;
    test::TempDir dir;
    QtKeyWait wait;
    std::unique_ptr<QProcess> portal;
};

TEST_F(PortalKeyboardTest, AsksOnceThenSendsEachKeysymWithItsRelease) {
    startPortal();
    auto keys = openKeys();
    // A value with doubled digits, a named key, an upper-case letter, Ctrl+c, and characters that
    // need AltGr on a German layout ("@@" types "@"; "€" is 0x80 in Windows-1252). The fake
    // portal handles key events concurrently, as the real one does: the order holds only because
    // each one waits for the answer to the one before.
    keys->sendKeys("100,004{TAB}A^c@@\x80");

    std::vector<std::string> expected{"CreateSession", "SelectDevices types=1 persist_mode=2", "Start"};
    for (unsigned keysym : {unsigned(XKB_KEY_1), unsigned(XKB_KEY_0), unsigned(XKB_KEY_0),
                            unsigned(XKB_KEY_comma), unsigned(XKB_KEY_0), unsigned(XKB_KEY_0),
                            unsigned(XKB_KEY_4), unsigned(XKB_KEY_Tab), unsigned(XKB_KEY_A)})
        for (const std::string& event : tapEvents(keysym))
            expected.push_back(event);
    // "^" taps Ctrl and holds it around the next character, as on every keyboard.
    for (const std::string& event : {keyEvent(XKB_KEY_Control_L, true), keyEvent(XKB_KEY_Control_L, false),
                                     keyEvent(XKB_KEY_Control_L, true), keyEvent(XKB_KEY_c, true),
                                     keyEvent(XKB_KEY_c, false), keyEvent(XKB_KEY_Control_L, false)})
        expected.push_back(event);
    for (unsigned keysym : {unsigned(XKB_KEY_at), unsigned(XKB_KEY_EuroSign)})
        for (const std::string& event : tapEvents(keysym))
            expected.push_back(event);
    EXPECT_THAT(calls(), ElementsAreArray(expected));

    // The desktop's restore token is kept, and the next start hands it back instead of asking anew.
    EXPECT_EQ(dir.read("travek/portal-restore-token"), "token1\n");
    keys.reset();
    keys = openKeys();
    const auto all = calls();
    EXPECT_THAT(std::vector<std::string>(all.begin() + expected.size(), all.end()),
                ElementsAre("Close", "CreateSession",
                            "SelectDevices types=1 persist_mode=2 restore_token=token1", "Start"));
    EXPECT_EQ(dir.read("travek/portal-restore-token"), "token2\n");
}

TEST_F(PortalKeyboardTest, ARefusalIsSaidAndNothingIsTyped) {
    startPortal(1); // a portal that keeps no permissions: no persist_mode, no token
    control("AnswerStartWith", {QVariant::fromValue(1u)});
    const std::string failure = failureOf();
    EXPECT_THAT(failure, HasSubstr("Keystrokes cannot be typed: the user refused the permission to type."));
    EXPECT_THAT(calls(), ElementsAre("CreateSession", "SelectDevices types=1", "Start", "Close"));
}

TEST_F(PortalKeyboardTest, ASessionTheDesktopEndsStopsTypingWithAReason) {
    startPortal();
    auto keys = openKeys();
    control("CloseSession");
    // The Closed signal arrives through the event loop, as it does between two lines.
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    try {
        keys->sendKeys("7");
        ADD_FAILURE() << "typing went on in a session the desktop had ended";
    } catch (const Error& error) {
        EXPECT_THAT(error.what(), HasSubstr("the desktop ended the keyboard session"));
    }
    EXPECT_THAT(calls(), ElementsAre("CreateSession", "SelectDevices types=1 persist_mode=2", "Start"));
}

// A portal that answers a key with an error: the keyboard has failed. The modifier it holds is
// released first, since the portal still answers, and nothing more is sent.
TEST_F(PortalKeyboardTest, AnErrorAnswerFailsTheKeyboardAfterReleasingWhatIsHeld) {
    startPortal();
    auto keys = openKeys();
    // "^c": Ctrl is tapped, then held around "c", whose press (the fourth key event) is refused.
    control("FailKeyAt", {QVariant::fromValue(4u)});
    const std::string failure = typingFailure(*keys, "^c");
    EXPECT_THAT(failure, HasSubstr("the desktop portal refused a key"));
    EXPECT_THAT(failure, HasSubstr("the session is not allowed keys"));
    EXPECT_EQ(typingFailure(*keys, "7"), failure) << "a failed keyboard typed on";
    const auto all = calls();
    EXPECT_THAT(std::vector<std::string>(all.begin() + 3, all.end()),
                ElementsAre(keyEvent(XKB_KEY_Control_L, true), keyEvent(XKB_KEY_Control_L, false),
                            keyEvent(XKB_KEY_Control_L, true), keyEvent(XKB_KEY_Control_L, false)));
}

// A portal that stops answering, and one that leaves the bus, fail the keyboard with the reason;
// neither holds the program for longer than the reply's time-out.
TEST_F(PortalKeyboardTest, APortalThatStopsAnsweringOrLeavesTheBusFailsTheKeyboard) {
    startPortal();
    auto keys = openKeys();
    control("SilentFromKey", {QVariant::fromValue(3u)});
    EXPECT_THAT(typingFailure(*keys, "12"), HasSubstr("the desktop portal did not answer a key within 2 s"));
    EXPECT_THAT(typingFailure(*keys, "3"), HasSubstr("did not answer"));
    const auto all = calls();
    EXPECT_THAT(std::vector<std::string>(all.begin() + 3, all.end()), ElementsAreArray(tapEvents(XKB_KEY_1)));
    keys.reset();
    TearDown();

    startPortal();
    keys = openKeys();
    control("VanishAtKey", {QVariant::fromValue(2u)});
    EXPECT_THAT(typingFailure(*keys, "12"), HasSubstr("the desktop portal left the session bus"));
    EXPECT_THAT(typingFailure(*keys, "3"), HasSubstr("left the session bus"));
}

// GNOME 43 tells a window the modifiers before a key that the input method holds back: there the
// keyboard holds keys while IBus is on the bus, follows it coming and going, and types the same.
TEST_F(PortalKeyboardTest, HoldsKeysOnlyOnGnomeBefore49_1WhileAnInputMethodRuns) {
    const QString inputMethod = QStringLiteral("org.freedesktop.IBus");
    auto holdsAfterACall = [](PortalKeyboard& keys) {
        keys.beginSend();
        keys.endSend();
        return keys.holdsModifierChanges();
    };
    startPortal(2, "43.9");
    auto keys = PortalKeyboard::open(wait);
    EXPECT_FALSE(holdsAfterACall(*keys));
    control("TakeName", {inputMethod});
    EXPECT_TRUE(waitFor([&] { return holdsAfterACall(*keys); })) << "did not see IBus come";
    LayoutKeySender sender(*keys, {});
    sender.sendKeys("1@@2");
    std::vector<std::string> expected;
    for (unsigned keysym : {unsigned(XKB_KEY_1), unsigned(XKB_KEY_at), unsigned(XKB_KEY_2)})
        for (const std::string& event : tapEvents(keysym))
            expected.push_back(event);
    const auto all = calls();
    EXPECT_THAT(std::vector<std::string>(all.begin() + 3, all.end()), ElementsAreArray(expected));
    control("ReleaseName", {inputMethod});
    EXPECT_TRUE(waitFor([&] { return !holdsAfterACall(*keys); })) << "did not see IBus go";
    keys.reset();
    TearDown();

    startPortal(2, "49.1");
    control("TakeName", {inputMethod});
    keys = PortalKeyboard::open(wait);
    EXPECT_FALSE(holdsAfterACall(*keys));
}

// Stopping the keyboard (the program ends) ends a wait for the pace at once: the rest of the text
// is dropped, and the call says it was stopped.
TEST_F(PortalKeyboardTest, AStopDuringASlowTextDropsTheRest) {
    startPortal();
    auto keys = openKeys();
    keys->setKeyDelay(1000);
    // Served by the keyboard's wait before the second key, as a signal would be.
    QTimer::singleShot(200, [&keys] { keys->stop(); });
    EXPECT_THROW(keys->sendKeys("12345"), TypingStopped);
    const auto all = calls();
    EXPECT_THAT(std::vector<std::string>(all.begin() + 3, all.end()), ElementsAreArray(tapEvents(XKB_KEY_1)));
    EXPECT_THROW(keys->sendKeys("6"), TypingStopped);
}

} // namespace
} // namespace travek
