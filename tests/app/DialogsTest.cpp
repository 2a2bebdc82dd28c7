#include "TGetCount1.h"
#include "TRS232SERVICE.h"
#include "TSel_channel.h"
#include "TSel_key.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace travek;

namespace {

using Entries = std::vector<std::string>;

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
    TSel_key keys;
    EXPECT_EQ(keys.windowTitle(), "Aktionsliste");
    EXPECT_EQ(keys.BT_Delete->text(), QString::fromUtf8("Löschen"));
    EXPECT_EQ(keys.Bt_add->text(), QString::fromUtf8("Hinzufügen"));
    EXPECT_EQ(keys.BitBtn1->text(), "Abbrechen");
    EXPECT_EQ(keys.BitBtn2->text(), "OK");
    const QStringList expected = {"{LEFT}", "{RIGHT}", "{ENTER}", "{TAB}", "{UP}",  "{DOWN}", "{PGDN}",
                                  "{PGUP}", "{END}",   "{HOME}",  "{F1}",  "{F2}",  "{F3}",   "{F4}",
                                  "{F5}",   "{F6}",    "{F7}",    "{F8}",  "{F9}",  "{F10}",  "{F11}",
                                  "{F12}",  "{SHIFT}", "{CTRL}",  "{INS}", "{DEL}", "{ESC}",  "{BACK}"};
    QStringList shown;
    for (int i = 0; i < keys.lb_keys->count(); ++i)
        shown << keys.lb_keys->item(i)->text();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(keys.lb_keys->selectedItems().value(0), keys.lb_keys->item(0));
}

TEST(KeyActionList, AddAppendsWithoutSelectionAndInsertsAfterTheSelectedEntry) {
    TSel_key keys;
    keys.setEntries({"A", "B"});
    keys.Bt_addClick(); // {LEFT}
    EXPECT_EQ(keys.entries(), (Entries{"A", "B", "{LEFT}"}));

    keys.setEntries({"A", "B"});
    selectEntry(keys.lb_string, 0);
    selectEntry(keys.lb_keys, 3); // {TAB}
    keys.Bt_addClick();
    EXPECT_EQ(keys.entries(), (Entries{"A", "{TAB}", "B"}));

    // Adding X then Y after A leaves A, Y, X: the selection stays on A.
    keys.setEntries({"A", "B"});
    selectEntry(keys.lb_string, 0);
    selectEntry(keys.lb_keys, 10); // {F1}
    keys.Bt_addClick();
    selectEntry(keys.lb_keys, 11); // {F2}
    QTest::mouseClick(keys.Bt_add, Qt::LeftButton);
    EXPECT_EQ(keys.entries(), (Entries{"A", "{F2}", "{F1}", "B"}));
    EXPECT_EQ(keys.lb_string->selectedItems().value(0), keys.lb_string->item(0));
}

TEST(KeyActionList, DoubleClickOnATokenAdds) {
    TSel_key keys;
    keys.show();
    keys.setEntries({});
    doubleClickEntry(keys.lb_keys, 27);
    EXPECT_EQ(keys.entries(), Entries{"{BACK}"});
}

TEST(KeyActionList, DeleteNeedsASelectionAndLeavesNoneBehind) {
    TSel_key keys;
    keys.setEntries({"A", "B", "C"});
    keys.BT_DeleteClick();
    EXPECT_EQ(keys.entries(), (Entries{"A", "B", "C"}));
    selectEntry(keys.lb_string, 1);
    QTest::mouseClick(keys.BT_Delete, Qt::LeftButton);
    EXPECT_EQ(keys.entries(), (Entries{"A", "C"}));
    EXPECT_TRUE(keys.lb_string->selectedItems().isEmpty());
    keys.BT_DeleteClick();
    EXPECT_EQ(keys.entries(), (Entries{"A", "C"}));
    // Without a selection the next token is appended again.
    keys.Bt_addClick();
    EXPECT_EQ(keys.entries(), (Entries{"A", "C", "{LEFT}"}));
}

TEST(KeyActionList, EntriesOfTheKeyStringSurviveUnchanged) {
    TSel_key keys;
    const Entries entries = {"Gr\xF6\xDF"
                             "e",
                             "", "@x", "^{F4}", "\x80 5"};
    keys.setEntries(entries);
    EXPECT_EQ(keys.entries(), entries);
    EXPECT_EQ(keys.lb_string->item(0)->text(), QString::fromUtf8("Größe"));
}

TEST(KeyActionList, AddWithoutASelectedTokenDoesNothing) {
    TSel_key keys;
    keys.setEntries({"A"});
    keys.lb_keys->clearSelection();
    keys.Bt_addClick();
    EXPECT_EQ(keys.entries(), Entries{"A"});
}

TEST(KeyActionList, AStepsKeyStringCannotGrowPastTheLimit) {
    TSel_key keys;
    const Entries pageDowns(14, "{PGDN}"); // 98 characters with their separators
    keys.setEntries(pageDowns);
    keys.setLengthLimit(';', 100);
    selectEntry(keys.lb_keys, 3); // {TAB}: 6 more
    keys.Bt_addClick();
    EXPECT_EQ(keys.entries(), pageDowns);
    EXPECT_FALSE(keys.LabelLimit->text().isEmpty());
    // Room again after a deletion; the series string has no limit.
    selectEntry(keys.lb_string, 0);
    keys.BT_DeleteClick();
    keys.Bt_addClick();
    EXPECT_EQ(keys.entries().size(), 14u);
    EXPECT_TRUE(keys.LabelLimit->text().isEmpty());
    keys.setLengthLimit(';', 0);
    keys.Bt_addClick();
    EXPECT_EQ(keys.entries().size(), 15u);
}

TEST(KeyActionList, EnterPressesOkAndEscapeCancels) {
    TSel_key keys;
    keys.show();
    keys.lb_string->setFocus();
    QTest::keyClick(&keys, Qt::Key_Return);
    EXPECT_EQ(keys.result(), QDialog::Accepted);
    keys.show();
    QTest::keyClick(&keys, Qt::Key_Escape);
    EXPECT_EQ(keys.result(), QDialog::Rejected);
}

TEST(ChannelDialog, DoubleClickOnAnEntryClosesWithOkAndThatPosition) {
    TSel_channel channels;
    EXPECT_EQ(channels.windowTitle(), "Sel_channel");
    channels.setChannels({"Kanal 1", "Kanal 2", "Kanal 3"});
    EXPECT_EQ(channels.selectedPosition(), -1);
    channels.show();
    doubleClickEntry(channels.lb_channels, 1);
    EXPECT_EQ(channels.result(), QDialog::Accepted);
    EXPECT_EQ(channels.selectedPosition(), 1);
    EXPECT_FALSE(channels.isVisible());

    // The choice is still there the next time, until the list is filled anew.
    channels.show();
    QTest::mouseClick(channels.BitBtn2, Qt::LeftButton);
    EXPECT_EQ(channels.result(), QDialog::Accepted);
    EXPECT_EQ(channels.selectedPosition(), 1);
    channels.setChannels({"Kanal 1", "Kanal 2"});
    EXPECT_EQ(channels.selectedPosition(), -1);

    channels.show();
    QTest::mouseClick(channels.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(channels.result(), QDialog::Rejected);
}

class ValueCountDialog : public ::testing::Test {
protected:
    int enter(const QString& text, Qt::Key key) {
        dialog.setResult(-1);
        dialog.show();
        dialog.Edit1->setText(text);
        QTest::keyClick(dialog.Edit1, key);
        return dialog.result();
    }
    TGetCount1 dialog;
};

TEST_F(ValueCountDialog, TakesTheNumberWithoutBlanksOrItsLeadingDigits) {
    EXPECT_EQ(dialog.windowTitle(), "-");
    EXPECT_EQ(dialog.Label1->text(), "Anzahl Werte");
    EXPECT_EQ(dialog.Value, 0);
    EXPECT_EQ(enter(" 1 0", Qt::Key_Return), QDialog::Accepted);
    EXPECT_EQ(dialog.Value, 10);
    EXPECT_EQ(enter("abc", Qt::Key_Enter), QDialog::Accepted);
    EXPECT_EQ(dialog.Value, 0);
    EXPECT_EQ(enter("12x3", Qt::Key_Return), QDialog::Accepted);
    EXPECT_EQ(dialog.Value, 12);
    EXPECT_EQ(enter("-7", Qt::Key_Return), QDialog::Accepted);
    EXPECT_EQ(dialog.Value, -7);
    EXPECT_EQ(enter("", Qt::Key_Return), QDialog::Accepted);
    EXPECT_EQ(dialog.Value, 0);
}

TEST_F(ValueCountDialog, EscapeCancelsAndKeepsTheLastValue) {
    enter("8", Qt::Key_Return);
    EXPECT_EQ(enter("99", Qt::Key_Escape), QDialog::Rejected);
    EXPECT_EQ(dialog.Value, 8);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ValueCountDialog, HasNoCloseButtonAndSelectsTheWholeNumberWhenShown) {
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    dialog.Edit1->setText("123");
    dialog.show();
    EXPECT_EQ(dialog.Edit1->selectedText(), "123");
}

TEST(ServiceWindow, HoldsTheLastCommandWithItsEndCharacter) {
    TRS232SERVICE service;
    EXPECT_EQ(service.windowTitle(), "RS232SERVICE");
    EXPECT_TRUE(service.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(service.isVisible());
    EXPECT_EQ(service.Label1->text(), "Input");
    EXPECT_EQ(service.Label2->text(), "Output");
    EXPECT_EQ(service.lb1->count(), 0);
    EXPECT_EQ(service.output(), "");
    service.setOutput("@K1\r");
    service.setOutput("@K2\r");
    EXPECT_EQ(service.output(), "@K2\r");
}

} // namespace
