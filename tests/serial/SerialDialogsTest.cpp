#include "InterfaceDefinition.h"
#include "TempDir.h"
#include "Tlist_coms.h"
#include "Tsel_com.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <QTimer>

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

TEST(Tsel_com, ShowsTheCurrentPortAndStoresTheChoice) {
    test::TempDir dir;
    dir.enter();
    dir.write("PX5R.VAL", "[PARAMETER]\r\nBAUD=4800\r\nCOMx=1\r\n");
    InterfaceDefinition d;
    Tsel_com dlg(d, nullptr, {});
    EXPECT_EQ(dlg.ComSel->count(), 99);
    EXPECT_EQ(dlg.ComSel->itemText(98), "COM 99");
    d.ComPortNumber = 99;
    dlg.prepare();
    dlg.show();
    EXPECT_EQ(dlg.comText->text(), "COM 99");

    dlg.ComSel->setCurrentIndex(11);
    emit dlg.ComSel->activated(11);
    EXPECT_EQ(dlg.comText->text(), "COM 12");
    dlg.OKBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(d.ComPortNumber, 12);
    EXPECT_EQ(dir.read("PX5R.VAL"), "[PARAMETER]\r\nBAUD=4800\r\nCOMx=12\r\n");
}

TEST(Tsel_com, CancelChangesNothingAndTheNextOpeningShowsTheOldPort) {
    test::TempDir dir;
    dir.enter();
    InterfaceDefinition d;
    d.ComPortNumber = 3;
    Tsel_com dlg(d, nullptr, {});
    dlg.prepare();
    dlg.show();
    dlg.ComSel->setCurrentIndex(6);
    emit dlg.ComSel->activated(6);
    dlg.CancelBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(d.ComPortNumber, 3);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.file("PX5R.VAL"))));
    dlg.prepare();
    dlg.show();
    EXPECT_EQ(dlg.comText->text(), "COM 3");
}

TEST(Tsel_com, KeysAreSwallowedAndAPortOutsideTheRangeFallsBackToPort1) {
    test::TempDir dir;
    dir.enter();
    InterfaceDefinition d;
    d.ComPortNumber = 0;
    Tsel_com dlg(d, nullptr, {});
    dlg.prepare();
    dlg.show();
    EXPECT_EQ(dlg.comText->text(), "");
    EXPECT_EQ(dlg.ComSel->currentIndex(), -1);
    for (auto [key, text] : {std::pair{Qt::Key_Down, ""}, std::pair{Qt::Key_5, "5"}, std::pair{Qt::Key_C, "c"}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
        QApplication::sendEvent(dlg.ComSel, &press);
    }
    EXPECT_EQ(dlg.ComSel->currentIndex(), -1);
    dlg.OKBtn->click();
    EXPECT_EQ(d.ComPortNumber, 1); // never port 0
    EXPECT_EQ(dir.read("PX5R.VAL"), "[PARAMETER]\r\nCOMx=1\r\n");
}

TEST(Tsel_com, AFileThatCannotBeWrittenIsReportedAndTheDialogStillSaysOk) {
    test::TempDir dir;
    dir.enter();
    InterfaceDefinition d;
    d.InterfaceName = "nodir/X";
    QString error;
    Tsel_com dlg(d, nullptr, [&](const QString& e) { error = e; });
    dlg.prepare();
    dlg.show();
    dlg.OKBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(error.toStdString(), "Kann nicht nach " + dir.path() + "/nodir/X.VAL schreiben");
}

TEST(Tlist_coms, RefreshesOnlyWhileShownAndKeepsEntriesOnError) {
    std::vector<std::string> ports = {"ttyUSB0=COM3"};
    int reads = 0;
    bool fail = false;
    QString error;
    Tlist_coms list(
        [&](std::vector<std::string>& target) {
            ++reads;
            if (fail)
                throw std::runtime_error("Ung\xfcltiger Datentyp f\xfcr 'x'"); // program texts are Windows-1252
            target = ports;
        },
        [&](const QString& e) { error = e; });
    EXPECT_EQ(reads, 0);
    list.show();
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(list.Timer1->isActive());
    EXPECT_EQ(entries(list.com_list), QStringList{"ttyUSB0=COM3"});

    ports.push_back("ttyS0=/dev/ttyS0");
    list.Timer1Timer();
    EXPECT_EQ(entries(list.com_list), (QStringList{"ttyUSB0=COM3", "ttyS0=/dev/ttyS0"}));

    fail = true;
    list.Timer1Timer();
    EXPECT_EQ(error, QString::fromUtf8("Ungültiger Datentyp für 'x'"));
    EXPECT_EQ(list.com_list->count(), 2);

    list.Beenden->click();
    EXPECT_FALSE(list.isVisible());
    EXPECT_FALSE(list.Timer1->isActive());
    const int before = reads;
    QApplication::processEvents();
    EXPECT_EQ(reads, before);

    // An error while showing leaves the timer off.
    list.show();
    EXPECT_FALSE(list.Timer1->isActive());
}

TEST(Tsel_com, QuestionMarkShowsThePortListBesideTheDialog) {
    test::TempDir dir;
    dir.enter();
    InterfaceDefinition d;
    Tlist_coms list([](std::vector<std::string>& t) { t = {"a=b"}; }, {});
    Tsel_com dlg(d, &list, {});
    dlg.show();
    dlg.Button1->click();
    EXPECT_TRUE(list.isVisible());
    EXPECT_TRUE(dlg.isVisible());
    dlg.CancelBtn->click();
    EXPECT_TRUE(list.isVisible()); // closing the dialog does not hide the list
}

TEST(Tsel_com, ThePortListStaysUsableWhileTheDialogIsModalAndTheDropDownIgnoresKeys) {
    test::TempDir dir;
    dir.enter();
    InterfaceDefinition d;
    QWidget mainWindow;
    Tlist_coms list([](std::vector<std::string>& t) { t = {"a=b"}; }, {}, &mainWindow);
    Tsel_com dlg(d, &list, {}, &mainWindow);
    mainWindow.show();
    bool listAnswered = false;
    QTimer::singleShot(50, &dlg, [&] {
        dlg.Button1->click();
        // A click as the window system delivers it: a window blocked by the modal dialog drops it.
        const QPoint at = list.Beenden->mapTo(&list, list.Beenden->rect().center());
        QTest::mouseClick(list.windowHandle(), Qt::LeftButton, {}, at);
        listAnswered = !list.isVisible();
        dlg.Button1->click();
        // Arrow keys and Enter in the open drop-down list do not pick a port.
        dlg.ComSel->showPopup();
        QTest::keyClick(dlg.ComSel->view(), Qt::Key_Down);
        QTest::keyClick(dlg.ComSel->view(), Qt::Key_Return);
        dlg.ComSel->hidePopup();
        dlg.CancelBtn->click();
    });
    dlg.exec();
    EXPECT_TRUE(listAnswered);
    EXPECT_EQ(dlg.comText->text(), "COM 1");
    EXPECT_TRUE(list.isVisible()); // closing the dialog does not hide the list
}
