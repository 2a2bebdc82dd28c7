#include "core/session/Dialogs.h"
#include "core/session/Session.h"
#include "gui/qt/ChannelDialog.h"
#include "gui/qt/KeyActionDialog.h"
#include "gui/qt/MainWindow.h"
#include "gui/qt/RecordTextDialog.h"
#include "gui/qt/SeriesCountDialog.h"
#include "gui/qt/ServiceWindow.h"
#include "gui/qt/TargetWindowDialog.h"
#include "support/FakeEventLoop.h"
#include "support/FakeFocusWindow.h"
#include "support/TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace travek;

namespace {

void selectEntry(QListWidget* list, int row) {
    list->setCurrentRow(row);
    ASSERT_EQ(list->selectedItems().size(), 1);
}

void doubleClickEntry(QListWidget* list, int row) {
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

TEST(KeyActionList, OffersTheTwentyEightTokensInOrderWithTheFirstSelected) {
    KeyActionDialog keys;
    EXPECT_EQ(keys.windowTitle(), "Aktionsliste");
    EXPECT_EQ(keys.deleteButton->text(), QString::fromUtf8("Löschen"));
    EXPECT_EQ(keys.addButton->text(), QString::fromUtf8("Hinzufügen"));
    EXPECT_EQ(keys.cancelButton->text(), "Abbrechen");
    EXPECT_EQ(keys.okButton->text(), "OK");
    const QStringList expected = {"{LEFT}", "{RIGHT}", "{ENTER}", "{TAB}", "{UP}",  "{DOWN}", "{PGDN}",
                                  "{PGUP}", "{END}",   "{HOME}",  "{F1}",  "{F2}",  "{F3}",   "{F4}",
                                  "{F5}",   "{F6}",    "{F7}",    "{F8}",  "{F9}",  "{F10}",  "{F11}",
                                  "{F12}",  "{SHIFT}", "{CTRL}",  "{INS}", "{DEL}", "{ESC}",  "{BACK}"};
    QStringList shown;
    for (int i = 0; i < keys.tokenList->count(); ++i)
        shown << keys.tokenList->item(i)->text();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(keys.tokenList->selectedItems().value(0), keys.tokenList->item(0));
}

// The list's logic is the presenter's; here only what the dialog adds: the buttons and the
// double-click reach it, the selection it keeps, the entries shown as Windows-1252 text.
TEST(KeyActionList, ButtonsAndDoubleClickEditTheListKeepingTheSelection) {
    KeyActionDialog keys;
    keys.show();
    KeyActionList list("A;B;Gr\xF6\xDF"
                       "e;",
                       ';', 0);
    keys.setList(&list);
    EXPECT_EQ(keys.entries(), (QStringList{"A", "B", QString::fromUtf8("Größe")}));
    // Adding X then Y after A leaves A, Y, X: the selection stays on A.
    selectEntry(keys.entryList, 0);
    selectEntry(keys.tokenList, 10); // {F1}
    QTest::mouseClick(keys.addButton, Qt::LeftButton);
    selectEntry(keys.tokenList, 11); // {F2}
    QTest::mouseClick(keys.addButton, Qt::LeftButton);
    EXPECT_EQ(list.keyString(), "A;{F2};{F1};B;Gr\xF6\xDF"
                                "e;");
    EXPECT_EQ(keys.entryList->selectedItems().value(0), keys.entryList->item(0));

    selectEntry(keys.entryList, 1);
    QTest::mouseClick(keys.deleteButton, Qt::LeftButton);
    EXPECT_EQ(list.keyString(), "A;{F1};B;Gr\xF6\xDF"
                                "e;");
    EXPECT_TRUE(keys.entryList->selectedItems().isEmpty());
    doubleClickEntry(keys.tokenList, 27);
    EXPECT_EQ(keys.entries().last(), "{BACK}");
}

TEST(KeyActionList, ShowsWhyATokenWasNotAdded) {
    KeyActionDialog keys;
    std::string pageDowns;
    for (int i = 0; i < 14; ++i)
        pageDowns += "{PGDN};"; // 98 characters
    KeyActionList full(pageDowns, ';', 100);
    keys.setList(&full);
    selectEntry(keys.tokenList, 3); // {TAB}: 6 more
    keys.addToken();
    EXPECT_EQ(keys.limitLabel->text(),
              QString::fromUtf8("Nicht hinzugefügt: höchstens 100 Zeichen je Schritt."));
    keys.setList(nullptr);
    EXPECT_TRUE(keys.limitLabel->text().isEmpty());
}

TEST(KeyActionList, EnterPressesOkAndEscapeCancels) {
    KeyActionDialog keys;
    keys.show();
    keys.entryList->setFocus();
    QTest::keyClick(&keys, Qt::Key_Return);
    EXPECT_EQ(keys.result(), QDialog::Accepted);
    keys.show();
    QTest::keyClick(&keys, Qt::Key_Escape);
    EXPECT_EQ(keys.result(), QDialog::Rejected);
}

TEST(ChannelDialog, DoubleClickOnAnEntryClosesWithOkAndThatPosition) {
    ChannelDialog channels;
    EXPECT_EQ(channels.windowTitle(), "Sel_channel");
    ChannelChoice choice;
    choice.setChannelCount(3);
    channels.showChoice(choice);
    EXPECT_EQ(channels.selectedPosition(), -1);
    channels.show();
    doubleClickEntry(channels.channelList, 1);
    EXPECT_EQ(channels.result(), QDialog::Accepted);
    EXPECT_EQ(channels.selectedPosition(), 1);
    EXPECT_FALSE(channels.isVisible());

    channels.show();
    QTest::mouseClick(channels.cancelButton, Qt::LeftButton);
    EXPECT_EQ(channels.result(), QDialog::Rejected);
}

class ValueCountDialog : public ::testing::Test {
protected:
    int enter(const QString& text, Qt::Key key) {
        dialog.setResult(-1);
        dialog.show();
        dialog.edit->setText(text);
        QTest::keyClick(dialog.edit, key);
        return dialog.result();
    }
    SeriesCountDialog dialog;
};

TEST_F(ValueCountDialog, TakesTheNumberWithoutBlanksOrItsLeadingDigits) {
    EXPECT_EQ(dialog.windowTitle(), "-");
    EXPECT_EQ(dialog.label->text(), "Anzahl Werte");
    EXPECT_EQ(dialog.value, 0);
    EXPECT_EQ(enter(" 1 0", Qt::Key_Return), QDialog::Accepted);
    EXPECT_EQ(dialog.value, 10);
    EXPECT_EQ(enter("abc", Qt::Key_Enter), QDialog::Accepted);
    EXPECT_EQ(dialog.value, 0);
    EXPECT_EQ(enter("12x3", Qt::Key_Return), QDialog::Accepted);
    EXPECT_EQ(dialog.value, 12);
    EXPECT_EQ(enter("-7", Qt::Key_Return), QDialog::Accepted);
    EXPECT_EQ(dialog.value, -7);
    EXPECT_EQ(enter("", Qt::Key_Return), QDialog::Accepted);
    EXPECT_EQ(dialog.value, 0);
}

TEST_F(ValueCountDialog, EscapeCancelsAndKeepsTheLastValue) {
    enter("8", Qt::Key_Return);
    EXPECT_EQ(enter("99", Qt::Key_Escape), QDialog::Rejected);
    EXPECT_EQ(dialog.value, 8);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ValueCountDialog, HasNoCloseButtonAndSelectsTheWholeNumberWhenShown) {
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    dialog.edit->setText("123");
    dialog.show();
    EXPECT_EQ(dialog.edit->selectedText(), "123");
}

TEST(ServiceWindow, HoldsTheLastCommandWithItsEndCharacter) {
    ServiceWindow service;
    EXPECT_EQ(service.windowTitle(), "RS232SERVICE");
    EXPECT_TRUE(service.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(service.isVisible());
    EXPECT_EQ(service.inputLabel->text(), "Input");
    EXPECT_EQ(service.outputLabel->text(), "Output");
    EXPECT_EQ(service.inputList->count(), 0);
    EXPECT_EQ(service.output(), "");
    service.setOutput("@K1\r");
    service.setOutput("@K2\r");
    EXPECT_EQ(service.output(), "@K2\r");
}

// The countdown and the rules are the presenter's; here the buttons and the box reach it, and what
// it says is shown, a window title as plain text.
TEST(TargetWindowDialog, ButtonsReachTheChoiceAndItsTextsAreShown) {
    using namespace std::chrono_literals;
    test::FakeEventLoop loop;
    test::FakeFocusWindow focus;
    TargetWindowChoice choice(loop, focus, TargetWindow{});
    TargetWindowDialog dialog;
    dialog.setChoice(&choice);
    EXPECT_EQ(dialog.windowTitle(), "Zielfenster");
    EXPECT_EQ(dialog.targetLabel->text(), "kein Zielfenster (es wird in jedes Fenster getippt)");

    QTest::mouseClick(dialog.captureButton, Qt::LeftButton);
    EXPECT_EQ(dialog.statusLabel->text(), "Festlegen in 3 s: bitte in das Zielfenster klicken");
    focus.focus("soffice.bin", "libreoffice-calc",
                "<b>Gr\xF6\xDF"
                "e</b>");
    loop.advance(3s);
    EXPECT_EQ(dialog.targetLabel->text(),
              QString::fromUtf8("Programm soffice.bin, Klasse libreoffice-calc, Titel \"<b>Größe</b>\""));
    EXPECT_EQ(dialog.targetLabel->textFormat(), Qt::PlainText);
    QTest::mouseClick(dialog.matchTitleBox, Qt::LeftButton);
    EXPECT_TRUE(choice.matchTitle());
    EXPECT_TRUE(dialog.targetLabel->text().endsWith(" (muss passen)"));
    QTest::mouseClick(dialog.clearButton, Qt::LeftButton);
    EXPECT_FALSE(choice.target().isSet());
    EXPECT_TRUE(dialog.matchTitleBox->isChecked());
    dialog.setChoice(nullptr);
}

TEST(TargetWindowDialog, TheMenuEntryIsDisabledWithTheReasonWhereTheDesktopCannotTell) {
    test::TempDir dir;
    dir.enter();
    MainWindow window;
    window.setFocusWindow(nullptr, "GNOME tells no program");
    EXPECT_FALSE(window.targetWindowAction->isEnabled());
    EXPECT_EQ(window.targetWindowAction->toolTip(), "GNOME tells no program");
    test::FakeFocusWindow focus;
    window.setFocusWindow(&focus);
    EXPECT_TRUE(window.targetWindowAction->isEnabled());
    EXPECT_EQ(window.targetWindowAction->text(), QString::fromUtf8("&Zielfenster…"));
}

// "Bediener" and "Teil/Los" from their menus: OK closes only on a text the presenter takes, and
// its reason shows otherwise.
TEST(RecordTextDialog, TheMenusOpenItAndOkKeepsItOpenUntilTheTextIsTaken) {
    test::TempDir dir;
    dir.enter();
    MainWindow window;
    EXPECT_EQ(window.operatorAction->text(), QString::fromUtf8("&Bediener…"));
    EXPECT_EQ(window.partAction->text(), QString::fromUtf8("&Teil/Los…"));
    RecordTextDialog& dialog = *window.windows().recordTextDialog;
    bool shown = false;
    // The dialog comes once the main window is on the screen.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (shown || !dialog.isVisible())
            return;
        shown = true;
        EXPECT_EQ(dialog.windowTitle(), "Bediener");
        dialog.edit->setText("  ");
        QTest::mouseClick(dialog.okButton, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.messageLabel->text().startsWith("Bitte einen Namen eingeben"));
        dialog.edit->setText(QString::fromUtf8("Jörg"));
        QTest::mouseClick(dialog.okButton, Qt::LeftButton);
    });
    poll.start(10);
    window.operatorAction->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(window.session().recorder().operatorName(), "J\xF6rg");
}

} // namespace
