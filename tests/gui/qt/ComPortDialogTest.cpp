#include "gui/qt/ComPortDialog.h"
#include "core/session/Dialogs.h"
#include "core/text/Error.h"
#include "gui/qt/PortListWindow.h"
#include "support/FakeEventLoop.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace travek;

namespace {

QStringList entries(const QListWidget* list) {
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

} // namespace

// Which port is chosen and where it is stored is the session's and ComPortChoice's; here only
// what the dialog adds: the list, the read-only text, the mouse-only choice.
TEST(ComPortDialog, ShowsTheChoiceAndTakesThePortPickedWithTheMouseOnly) {
    ComPortDialog dlg(nullptr);
    EXPECT_EQ(dlg.portBox->count(), 99);
    EXPECT_EQ(dlg.portBox->itemText(98), "COM 99");
    ComPortChoice choice(99);
    dlg.setChoice(&choice);
    dlg.show();
    EXPECT_EQ(dlg.portText->text(), "COM 99");

    dlg.portBox->setCurrentIndex(11);
    emit dlg.portBox->activated(11);
    EXPECT_EQ(dlg.portText->text(), "COM 12");
    dlg.okButton->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(choice.chosenPort(), 12);

    ComPortChoice outside(0);
    dlg.setChoice(&outside);
    dlg.show();
    EXPECT_EQ(dlg.portText->text(), "");
    EXPECT_EQ(dlg.portBox->currentIndex(), -1);
    for (auto [key, text] :
         {std::pair{Qt::Key_Down, ""}, std::pair{Qt::Key_5, "5"}, std::pair{Qt::Key_C, "c"}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
        QApplication::sendEvent(dlg.portBox, &press);
    }
    EXPECT_EQ(dlg.portBox->currentIndex(), -1);
    dlg.okButton->click();
    EXPECT_EQ(outside.chosenPort(), 1); // never port 0
}

// When the list is read is PortList's; here what the window adds: the lines shown, the error box,
// no reading while hidden.
TEST(PortListWindow, ShowsTheLinesWhileShownAndReportsAListThatCannotBeRead) {
    std::vector<std::string> ports = {"ttyUSB0=COM3"};
    bool fail = false;
    test::FakeEventLoop loop;
    PortList source(loop, [&](std::vector<std::string>& target) {
        target = ports; // the readable entries, then the failure of the others
        if (fail)
            throw Error("Ung\xfcltiger Datentyp f\xfcr 'x'");
    });
    std::string error;
    PortListWindow list(source, [&](const std::string& e) { error = e; });
    list.show();
    EXPECT_EQ(entries(list.list), QStringList{"ttyUSB0=COM3"});
    ports.push_back("ttyS0=/dev/ttyS0");
    loop.advance(std::chrono::milliseconds(500));
    EXPECT_EQ(entries(list.list), (QStringList{"ttyUSB0=COM3", "ttyS0=/dev/ttyS0"}));
    fail = true;
    loop.advance(std::chrono::milliseconds(500));
    EXPECT_EQ(error, "Ung\xfcltiger Datentyp f\xfcr 'x'");
    EXPECT_EQ(list.list->count(), 2);

    list.closeButton->click();
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(loop.pendingTasks(), 0u);
}

TEST(ComPortDialog, QuestionMarkShowsThePortListBesideTheDialog) {
    test::TempDir dir;
    dir.enter();
    test::FakeEventLoop loop;
    PortList ports(loop, [](std::vector<std::string>& t) { t = {"a=b"}; });
    PortListWindow list(ports, {});
    ComPortDialog dlg(&list);
    dlg.show();
    dlg.listButton->click();
    EXPECT_TRUE(list.isVisible());
    EXPECT_TRUE(dlg.isVisible());
    dlg.cancelButton->click();
    EXPECT_TRUE(list.isVisible()); // closing the dialog does not hide the list
}

TEST(ComPortDialog, ThePortListStaysUsableWhileTheDialogIsModalAndTheDropDownIgnoresKeys) {
    test::TempDir dir;
    dir.enter();
    QWidget mainWindow;
    test::FakeEventLoop loop;
    PortList ports(loop, [](std::vector<std::string>& t) { t = {"a=b"}; });
    PortListWindow list(ports, {}, &mainWindow);
    ComPortDialog dlg(&list, &mainWindow);
    ComPortChoice choice(1);
    dlg.setChoice(&choice);
    mainWindow.show();
    bool listAnswered = false;
    QTimer::singleShot(50, &dlg, [&] {
        dlg.listButton->click();
        // A click as the window system delivers it: a window blocked by the modal dialog drops it.
        const QPoint at = list.closeButton->mapTo(&list, list.closeButton->rect().center());
        QTest::mouseClick(list.windowHandle(), Qt::LeftButton, {}, at);
        listAnswered = !list.isVisible();
        dlg.listButton->click();
        // Arrow keys and Enter in the open drop-down list do not pick a port.
        dlg.portBox->showPopup();
        QTest::keyClick(dlg.portBox->view(), Qt::Key_Down);
        QTest::keyClick(dlg.portBox->view(), Qt::Key_Return);
        dlg.portBox->hidePopup();
        dlg.cancelButton->click();
    });
    dlg.exec();
    EXPECT_TRUE(listAnswered);
    EXPECT_EQ(dlg.portText->text(), "COM 1");
    EXPECT_TRUE(list.isVisible()); // closing the dialog does not hide the list
}
