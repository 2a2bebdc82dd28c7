#include "core/session/Session.h"
#include "support/SessionFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace travek;
using namespace travek::test;
using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class PortReconnectTest : public SessionFixture {};

} // namespace

TEST_F(PortReconnectTest, ALostPortIsTriedAgainEverySecondAndTheSequenceGoesOn) {
    writeBox();
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n2\t1\t{ENTER};\r\n");
    open();
    session->startUp();
    loop.advance(1s);
    const std::string first = "A: 1,00\r";
    receive(first);
    EXPECT_EQ(sequence().currentStep, 2);

    // The adapter is pulled: the driver closes the port and says so.
    device->open = false;
    device->openable = false;
    session->port().close();
    session->portLost();
    const int opensBefore = device->opens;
    loop.advance(3s);
    EXPECT_EQ(device->opens, opensBefore + 3) << "once a second, quietly";
    EXPECT_TRUE(view.errors.empty());
    EXPECT_EQ(view.active, "Comport ??");

    // Plugged in again: the settings and the channel commands go out as at "Init Interface".
    device->openable = true;
    device->written.clear();
    device->settings = SerialSettings{};
    loop.advance(1s);
    EXPECT_TRUE(session->port().isOpen());
    EXPECT_EQ(view.panels[StatusPanel::Port], "COM 1");
    EXPECT_EQ(device->written, "D0\rE1\r");
    EXPECT_EQ(device->settings.speed, BaudRate::Baud9600);
    loop.advance(100ms);
    EXPECT_EQ(view.active, "Active");
    EXPECT_FALSE(session->reconnecting());
    const std::string next = "A: 2,00\r";
    receive(next);
    EXPECT_THAT(keys.texts, ElementsAre("1,00", "{TAB}", "2,00", "{ENTER}"));

    // The user's own choice of port ends the waiting for the old one.
    device->open = false;
    device->openable = false;
    session->port().close();
    session->portLost();
    view.comPortDialog = [](ComPortChoice& choice) {
        choice.select(1);
        return true;
    };
    session->choosePort();
    // What is waited for now is the port chosen, not yet there either.
    loop.advance(5s);
    EXPECT_EQ(device->openedIndex, 1);
}

// A reconnect opens only the device that was lost. One that nothing can tell from the next
// (a pty or a built-in port named by its node) is left to the user; another device under the
// name is not opened, and the tries go on for the right one.
TEST_F(PortReconnectTest, OnlyTheLostDeviceIsOpenedAgainByItself) {
    writeBox();
    open();
    session->startUp();
    const auto lose = [this] {
        device->open = false;
        session->port().close();
        session->portLost();
    };
    device->returns = SerialDevice::Return::NotBack;
    lose();
    int opens = device->opens;
    loop.advance(3s);
    EXPECT_EQ(device->opens, opens);
    EXPECT_TRUE(session->reconnecting());
    device->returns = SerialDevice::Return::Back;
    loop.advance(1s);
    EXPECT_TRUE(session->port().isOpen());

    device->returns = SerialDevice::Return::NeverByItself;
    lose();
    opens = device->opens;
    loop.advance(5s);
    EXPECT_EQ(device->opens, opens);
    EXPECT_FALSE(session->reconnecting());
    EXPECT_EQ(view.panels[StatusPanel::Line], "COM1 ist fort; \"Einstellungen > Comport\" \xF6"
                                              "ffnet den Port wieder");
    EXPECT_EQ(view.active, "Comport ??");
}

// A busy device folder starts at most one try per DeviceEventSpacing.
TEST_F(PortReconnectTest, AFloodOfDeviceEventsStartsFewTries) {
    writeBox();
    open();
    session->startUp();
    device->open = false;
    device->openable = false;
    session->port().close();
    session->portLost();
    std::intptr_t folder = -1;
    for (std::intptr_t handle : loop.watchedHandles())
        folder = handle;
    if (folder < 0)
        GTEST_SKIP() << "this platform does not watch the device's folder";
    const int opens = device->opens;
    for (int event = 0; event < 1000; ++event)
        loop.makeReadable(folder);
    loop.advance(PortReconnect::DeviceEventSpacing);
    EXPECT_EQ(device->opens, opens + 2); // one at once, one for the rest at the end of the spacing
}

TEST_F(PortReconnectTest, APortThatIsNotThereAtTheStartIsOpenedAndInitialisedWhenItComes) {
    writeBox();
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    device->openable = false;
    device->returns = SerialDevice::Return::NeverByItself; // no device to compare: not asked
    open();
    session->startUp();
    EXPECT_THAT(view.errors, ElementsAre("COM1 Error: nicht vorhanden. TRAVEK \xF6"
                                         "ffnet den Port, sobald er da ist."));
    EXPECT_EQ(view.active, "Comport ??");
    loop.advance(3s);
    EXPECT_EQ(view.errors.size(), 1u) << "the tries are quiet";
    device->openable = true;
    loop.advance(1s);
    EXPECT_TRUE(session->port().isOpen());
    EXPECT_EQ(view.panels[StatusPanel::Port], "COM 1");
    EXPECT_EQ(device->written, "D0\rE1\r");
    loop.advance(100ms);
    EXPECT_EQ(view.active, "Active");
}
