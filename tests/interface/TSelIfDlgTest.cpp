#include "InterfaceDefinition.h"
#include "TSelIfDlg.h"
#include "TempDir.h"

#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace travek;

TEST(TSelIfDlg, ListsDefinitionFilesWithoutRegardToCase) {
    test::TempDir dir;
    dir.write("PX5R.VAL", "");
    dir.write("SCALE.val", "");
    dir.write("my unit.VAL", "");
    dir.write("a.b.VAL", "");
    dir.write("notes.txt", "");
    dir.write("VAL", "");
    InterfaceDefinition d;
    TSelIfDlg dlg(d, nullptr, QString::fromStdString(dir.path()));
    ASSERT_EQ(dlg.IfList->count(), 4);
    EXPECT_EQ(dlg.IfList->item(0)->text(), QStringLiteral("a") + QString(34, ' '));
    EXPECT_EQ(dlg.IfList->item(1)->text(), QStringLiteral("my unit") + QString(28, ' '));
    EXPECT_EQ(dlg.IfList->item(2)->text().size(), 35);
    EXPECT_EQ(dlg.IfList->currentRow(), 0);

    dlg.IfList->setCurrentRow(3);
    dlg.OKBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(d.InterfaceName, "SCALE");
    dlg.IfList->setCurrentRow(1);
    dlg.OKBtn->click();
    EXPECT_EQ(d.InterfaceName, "myunit"); // blanks removed, as chosen

    // Files that appear later are not listed until the next start.
    dir.write("LATE.VAL", "");
    EXPECT_EQ(dlg.IfList->count(), 4);
}

TEST(TSelIfDlg, DoubleClickIsOkAndCancelKeepsTheName) {
    test::TempDir dir;
    dir.write("ONE.VAL", "");
    dir.write("TWO.VAL", "");
    InterfaceDefinition d;
    TSelIfDlg dlg(d, nullptr, QString::fromStdString(dir.path()));
    dlg.show();
    dlg.IfList->setCurrentRow(1);
    dlg.CancelBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(d.InterfaceName, "PX5R");
    emit dlg.IfList->itemDoubleClicked(dlg.IfList->item(1));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(d.InterfaceName, "TWO");
}

TEST(TSelIfDlg, OkWithoutDefinitionFilesKeepsTheName) {
    test::TempDir dir;
    mkdir(dir.file("sub").c_str(), 0755);
    InterfaceDefinition d;
    d.InterfaceName = "KEEP";
    TSelIfDlg dlg(d, nullptr, QString::fromStdString(dir.file("sub")));
    EXPECT_EQ(dlg.IfList->count(), 0);
    dlg.OKBtn->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(d.InterfaceName, "KEEP");
}
