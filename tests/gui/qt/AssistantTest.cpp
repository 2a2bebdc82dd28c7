// The whole program meets a box it has no definition for: the start offers the assistant, which
// makes one from the lines of the box on a pty; the program switches to it, reads back the same
// definition and types with it.
#include "support/PtyPair.h"
#include "support/RunningProgram.h"

#include "core/session/InterfaceAssistant.h"
#include "gui/qt/InterfaceAssistantDialog.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>

#include <gmock/gmock.h>

using namespace travek;
using namespace travek::test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

using Program = RunningProgram;

TEST_F(Program, ADefinitionMadeInTheAssistantIsTheOneTheProgramReadsAndTypesWith) {
    PtyPair box;
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nNK=3\r\n[COMPORTS]\r\nCOM1=" + box.slavePath() + "\r\n");
    dir.write("ablauf.abl", "1\t2\t{TAB};\r\n");
    start();
    InterfaceDefinition made;
    runner->then([](QDialog& d) {
        EXPECT_THAT(static_cast<QMessageBox&>(d).text().toStdString(),
                    HasSubstr("keine Interface-Definition"));
        return int(QMessageBox::Yes);
    });
    runner->then([&](QDialog& d) {
        auto& dialog = static_cast<InterfaceAssistantDialog&>(d);
        // The session let go of the port: the assistant has it.
        EXPECT_EQ(form->panelText(StatusPanel::Port), "COM ?");
        box.send("\n01B  +0012.3456 mm\r");
        EXPECT_TRUE(runUntil([&] { return dialog.linesTable->rowCount() == 1; }, 3000));
        dialog.selectRow(0);
        dialog.lineEdit->setSelection(5, 10); // "+0012.3456"
        dialog.markValueButton->click();
        dialog.channelList->setCurrentRow(1);
        dialog.lineEdit->setSelection(0, 3); // "01B"
        dialog.markIdentifierButton->click();
        QTest::keyClicks(dialog.commandEdit, "E2");
        QTest::keyClicks(dialog.nameEdit, "NEU");
        EXPECT_EQ(dialog.linesTable->item(0, 1)->text(), "2");
        EXPECT_EQ(dialog.linesTable->item(0, 2)->text(), "12,346");
        made = dialog.assistant().draft().definition();
        dialog.saveButton->click(); // asks whether to switch: the next step
        return d.result();
    });
    runner->then([](QDialog& d) {
        EXPECT_THAT(static_cast<QMessageBox&>(d).text().toStdString(), HasSubstr("NEU.VAL ist gespeichert"));
        return int(QMessageBox::Yes);
    });
    form->session().startUp();
    waitForActivation();

    made.interfaceName = "NEU";
    EXPECT_TRUE(state().definition == made);
    EXPECT_EQ(form->windowTitle(), "TRAVEK v1.01  NEU");
    EXPECT_EQ(form->activeLabel->text(), "Active");
    box.send("\n01B  -0001.5 mm\r");
    ASSERT_TRUE(runUntil([&] { return keys.texts.size() >= 2; }, 3000));
    EXPECT_THAT(keys.texts, ElementsAre("-1,500", "{TAB}"));
}

} // namespace
