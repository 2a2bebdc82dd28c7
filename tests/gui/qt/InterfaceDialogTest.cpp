#include "gui/qt/InterfaceDialog.h"
#include "core/session/Dialogs.h"
#include "support/TempDir.h"

#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace travek;

// Which files are listed and what a row means is InterfaceChoice's; here what the dialog adds.
TEST(InterfaceDialog, ShowsTheDefinitionsOnceAndGivesTheChosenRow) {
    test::TempDir dir;
    dir.write("PX5R.VAL", "");
    dir.write("SCALE.val", "");
    dir.write("my unit.VAL", "");
    dir.write("a.b.VAL", "");
    InterfaceChoice choice(dir.path());
    InterfaceDialog dlg;
    dlg.showChoice(choice);
    ASSERT_EQ(dlg.list->count(), 4);
    EXPECT_EQ(dlg.list->item(0)->text(), QStringLiteral("a") + QString(34, ' '));
    EXPECT_EQ(dlg.list->item(1)->text(), QStringLiteral("my unit") + QString(28, ' '));
    EXPECT_EQ(dlg.list->currentRow(), 0);
    dlg.showChoice(choice);
    EXPECT_EQ(dlg.list->count(), 4);

    dlg.show();
    dlg.list->setCurrentRow(3);
    dlg.okButton->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(choice.nameAt(dlg.chosenRow()), "SCALE");
    dlg.show();
    dlg.cancelButton->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    dlg.list->setCurrentRow(1);
    emit dlg.list->itemDoubleClicked(dlg.list->item(1));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(choice.nameAt(dlg.chosenRow()), "myunit"); // blanks removed, as chosen
    dlg.list->clearSelection();
    EXPECT_EQ(dlg.chosenRow(), -1);
}
