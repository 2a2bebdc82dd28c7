#include "support/ScriptedRunner.h"
#include "support/TempDir.h"

#include "core/files/GridModel.h"
#include "core/serial/SerialPort.h"
#include "core/session/Session.h"
#include "core/text/KeyString.h"
#include "gui/qt/ChannelDialog.h"
#include "gui/qt/GridTableModel.h"
#include "gui/qt/KeyActionDialog.h"
#include "gui/qt/MainWindow.h"
#include "gui/qt/SeriesCountDialog.h"
#include "gui/qt/ServiceWindow.h"
#include "gui/qt/ToleranceDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace travek;
using travek::test::ScriptedRunner;
using travek::test::TempDir;

namespace {

int pressButton(QDialog& dialog, QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    return dialog.result();
}

// The main window with all the windows it uses, in a working directory of its own.
class MainWindowView : public ::testing::Test {
protected:
    void SetUp() override { dir.enter(); }

    void create() {
        form = std::make_unique<travek::MainWindow>(runner);
        form->session().channels().setChannelCount(5);
        form->show();
    }

    void TearDown() override {
        form.reset();
        EXPECT_TRUE(runner->allStepsUsed());
    }

    GridModel& grid() { return form->grid(); }
    ProgramState& state() { return form->session().state(); }
    KeyActionDialog& selKey() { return *form->windows().keyActionDialog; }
    ChannelDialog& selChannel() { return *form->windows().channelDialog; }

    void fillSteps(std::initializer_list<std::pair<const char*, const char*>> steps) {
        int row = 1;
        for (const auto& [channel, keys] : steps) {
            grid().setCell(1, row, channel);
            grid().setCell(2, row++, keys);
        }
    }

    // A user's double-click on a grid cell; the first click makes it the current cell.
    void doubleClickCell(int col, int row) {
        const QModelIndex index = form->gridModel().indexOf(col, row);
        form->gridView->scrollTo(index);
        const QPoint at = form->gridView->visualRect(index).center();
        QTest::mouseClick(form->gridView->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(form->gridView->viewport(), Qt::LeftButton, {}, at);
    }

    void expectErrorBox(const QString& text) {
        runner->then([text](QDialog& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            EXPECT_EQ(box.windowTitle(), "Fehler");
            EXPECT_EQ(box.icon(), QMessageBox::Critical);
            EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
            EXPECT_EQ(box.button(QMessageBox::Ok)->text(), "OK");
            EXPECT_EQ(box.text(), text);
            return int(QMessageBox::Ok);
        });
    }

    void chooseFile(const QString& expectedName, const QString& path) {
        runner->then([expectedName, path](QDialog& dialog) {
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            EXPECT_EQ(files.objectName(), expectedName);
            EXPECT_TRUE(files.testOption(QFileDialog::DontUseNativeDialog));
            EXPECT_EQ(files.defaultSuffix(), "abl");
            EXPECT_EQ(files.nameFilters(), QStringList{"TRAVEK Skriptdateien (*.abl)"});
            EXPECT_EQ(QDir(files.directory()).canonicalPath(), QDir::current().canonicalPath());
            files.selectFile(path);
            return int(QDialog::Accepted);
        });
    }

    // Makes the key action list's entryList hold what it holds, then presses button.
    void editKeys(std::function<void(KeyActionDialog&)> edit, bool ok) {
        runner->then([edit, ok](QDialog& dialog) {
            auto& keys = dynamic_cast<KeyActionDialog&>(dialog);
            edit(keys);
            return pressButton(dialog, ok ? keys.okButton : keys.cancelButton);
        });
    }

    TempDir dir;
    std::shared_ptr<ScriptedRunner> runner = std::make_shared<ScriptedRunner>();
    std::unique_ptr<travek::MainWindow> form;
};

TEST_F(MainWindowView, FirstRunShowsNinetyNineNumberedEmptyStepsAndNoSeriesCount) {
    create();
    EXPECT_EQ(form->windowTitle(), "TRAVEK v1.01");
    EXPECT_EQ(form->activeLabel->text(), "-");
    EXPECT_EQ(form->activeLabel->font().pixelSize(), 16);
    EXPECT_TRUE(form->activeLabel->font().bold());
    EXPECT_EQ(form->activeLabel->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(form->afterLabel->text(), "Nach");
    EXPECT_EQ(form->seriesCountLabel->text(), "[ ]");
    EXPECT_EQ(form->seriesCountLabel->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(form->seriesStringLabel->text(), "");
    EXPECT_EQ(form->seriesStringLabel->palette().color(QPalette::Window), QColor(238, 227, 228));

    ASSERT_EQ(grid().rowCount(), 100);
    QAbstractItemModel* model = form->gridView->model();
    ASSERT_EQ(model->rowCount(), 99);
    ASSERT_EQ(model->columnCount(), 4);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Step");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Kanal");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Taste(n)");
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "Toleranz");
    for (int r = 0; r < 99; ++r) {
        EXPECT_EQ(model->index(r, 0).data().toString(), QString::number(r + 1));
        EXPECT_EQ(model->index(r, 1).data().toString(), "");
        EXPECT_EQ(model->index(r, 2).data().toString(), "");
        EXPECT_EQ(model->index(r, 2).data(Qt::BackgroundRole).value<QColor>(), QColor(238, 227, 228));
        EXPECT_FALSE(model->index(r, 1).data(Qt::BackgroundRole).isValid());
    }
    // The step numbers cannot be selected, and nothing can be typed into the grid.
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsSelectable);
    for (int c = 0; c < 3; ++c)
        EXPECT_FALSE(model->flags(model->index(4, c)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(model->index(4, 1)) & Qt::ItemIsSelectable);
    EXPECT_TRUE(model->flags(model->index(4, 2)) & Qt::ItemIsSelectable);
    EXPECT_EQ(form->gridView->editTriggers(), QAbstractItemView::NoEditTriggers);

    EXPECT_EQ(form->session().sequence().stepCount, 0);
    EXPECT_EQ(form->session().sequence().currentStep, 1);
    EXPECT_EQ(form->panelText(StatusPanel::StepCount), "0");
    EXPECT_EQ(form->panelText(StatusPanel::CurrentStep), "1");
    for (StatusPanel panel :
         {StatusPanel::Port, StatusPanel::Interface, StatusPanel::Channel, StatusPanel::Line})
        EXPECT_EQ(form->panelText(panel), "");
    EXPECT_EQ(form->currentCol(), 1);
    EXPECT_EQ(form->currentRow(), 1);
}

TEST_F(MainWindowView, MenusCarryTheirTextsAndBeendenClosesTheWindow) {
    create();
    QStringList menus;
    for (QAction* a : form->menus->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&Datei", "&Einstellungen", "&Ansicht"}));
    EXPECT_EQ(form->saveAction->text(), "&Speichern");
    EXPECT_EQ(form->loadAction->text(), "&Laden");
    EXPECT_EQ(form->quitAction->text(), "&Beenden");
    EXPECT_EQ(form->interfaceAction->text(), "&Interface");
    EXPECT_EQ(form->comPortAction->text(), "&Comport");
    EXPECT_EQ(form->initAction->text(), "&Init Interface");
    EXPECT_EQ(form->insertRowAction->text(), QString::fromUtf8("Zeile &einfügen"));
    EXPECT_EQ(form->deleteRowAction->text(), "Zeile ent&fernen");

    // Closing the main window ends the program, also when the service window has been shown.
    QTimer::singleShot(0, form.get(), [this] {
        form->windows().serviceWindow->show();
        form->quitAction->trigger();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(form->isVisible());
}

// The buttons and file dialogs that Qt makes speak German with the rest of the program.
TEST_F(MainWindowView, QtsOwnTextsAreGerman) {
    ASSERT_TRUE(MainWindow::installGermanQtTexts()) << "qt6-translations-l10n is missing";
    QMessageBox box(QMessageBox::Question, "t", "t", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Nein");
}

TEST_F(MainWindowView, ChannelDoubleClickWritesTheChosenChannelAndAsksForInitialisation) {
    create();
    fillSteps({{"1", ""}, {"2", ""}});
    form->session().sequence().currentStep = 2;
    runner->then([](QDialog& dialog) {
        auto& channels = dynamic_cast<ChannelDialog&>(dialog);
        channels.channelList->setCurrentRow(2);
        return pressButton(dialog, channels.okButton);
    });
    doubleClickCell(1, 3);
    EXPECT_EQ(grid().cell(1, 3), "3");
    EXPECT_EQ(form->activeLabel->text(), "Init Interface notwendig");
    EXPECT_EQ(form->session().sequence().stepCount, 3);
    EXPECT_EQ(form->session().sequence().stepChannel[3], 3);
    EXPECT_EQ(form->session().sequence().currentStep, 1);
    EXPECT_EQ(form->panelText(StatusPanel::StepCount), "3");
    EXPECT_EQ(form->panelText(StatusPanel::CurrentStep), "1");
}

// The keyboard reaches every cell and acts on it as a double-click does; a double-click outside
// the cells restarts the sequence as any other double-click on the grid.
TEST_F(MainWindowView, KeysActOnTheCurrentCellAndADoubleClickOutsideTheCellsRestarts) {
    create();
    fillSteps({{"1", "a;"}, {"2", ""}});
    form->gridView->setFocus();
    form->setCurrentCell(1, 1);
    QTest::keyClick(form->gridView, Qt::Key_Down);
    EXPECT_EQ(form->currentRow(), 2);
    runner->then([](QDialog& dialog) {
        auto& channels = dynamic_cast<ChannelDialog&>(dialog);
        channels.channelList->setCurrentRow(3);
        return pressButton(dialog, channels.okButton);
    });
    QTest::keyClick(form->gridView, Qt::Key_Return);
    EXPECT_EQ(grid().cell(1, 2), "4");
    QTest::keyClick(form->gridView, Qt::Key_Up);
    QTest::keyClick(form->gridView, Qt::Key_Right);
    editKeys([](KeyActionDialog& keys) { EXPECT_EQ(keys.entries(), QStringList{"a"}); }, false);
    QTest::keyClick(form->gridView, Qt::Key_F2);

    form->session().sequence().currentStep = 2;
    form->resize(435, 2400); // taller than the 99 steps
    QApplication::processEvents();
    const QPoint belowTheSteps(5, form->gridView->viewport()->height() - 3);
    ASSERT_FALSE(form->gridView->indexAt(belowTheSteps).isValid());
    QTest::mouseDClick(form->gridView->viewport(), Qt::LeftButton, {}, belowTheSteps);
    EXPECT_EQ(form->session().sequence().currentStep, 1);
    form->session().sequence().currentStep = 2;
    QTest::mouseDClick(form->gridView->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(form->session().sequence().currentStep, 1);
    EXPECT_EQ(form->panelText(StatusPanel::CurrentStep), "1");
}

TEST_F(MainWindowView, ClickOnAStepNumberPicksTheChannelCellOfThatRow) {
    create();
    const QModelIndex number = form->gridModel().indexOf(0, 4);
    QTest::mouseClick(form->gridView->viewport(), Qt::LeftButton, {},
                      form->gridView->visualRect(number).center());
    EXPECT_EQ(form->currentCol(), 1);
    EXPECT_EQ(form->currentRow(), 4);
}

TEST_F(MainWindowView, KeyDoubleClickEditsTheStepsKeyList) {
    create();
    fillSteps({{"1", "a;{TAB};"}});
    editKeys(
        [](KeyActionDialog& keys) {
            EXPECT_EQ(keys.entries(), (QStringList{"a", "{TAB}"}));
            EXPECT_TRUE(keys.entryList->selectedItems().isEmpty());
            keys.entryList->setCurrentRow(0);
            keys.tokenList->setCurrentRow(2); // {ENTER}
            QTest::mouseClick(keys.addButton, Qt::LeftButton);
        },
        true);
    doubleClickCell(2, 1);
    EXPECT_EQ(grid().cell(2, 1), "a;{ENTER};{TAB};");
    EXPECT_EQ(form->session().sequence().stepKeys[1], "a;{ENTER};{TAB};");

    editKeys([](KeyActionDialog& keys) { QTest::mouseClick(keys.addButton, Qt::LeftButton); }, false);
    doubleClickCell(2, 1);
    EXPECT_EQ(grid().cell(2, 1), "a;{ENTER};{TAB};");

    editKeys(
        [](KeyActionDialog& keys) {
            while (keys.entryList->count() > 0) {
                keys.entryList->setCurrentRow(0);
                QTest::mouseClick(keys.deleteButton, Qt::LeftButton);
            }
        },
        true);
    doubleClickCell(2, 1);
    EXPECT_EQ(grid().cell(2, 1), "");
}

TEST_F(MainWindowView, KeyListUsesTheSeparatorOfTheSplitterSettings) {
    dir.write("SPLITSTRING.INI", "[STRINGS]\r\nSEPCHAR=124\r\n");
    create();
    fillSteps({{"1", "1.5|x|"}});
    editKeys(
        [](KeyActionDialog& keys) {
            EXPECT_EQ(keys.entries(), (QStringList{"1.5", "x"}));
            QTest::mouseClick(keys.addButton, Qt::LeftButton); // {LEFT}, appended
        },
        true);
    doubleClickCell(2, 1);
    EXPECT_EQ(grid().cell(2, 1), "1.5|x|{LEFT}|");
}

TEST_F(MainWindowView, TheRowActionsWorkOnTheCurrentCellAndTheGridShowsTheChange) {
    create();
    fillSteps({{"1", "a;"}, {"2", "b;"}, {"3", "c;"}});
    form->setCurrentCell(2, 2);
    form->insertRowAction->trigger();
    EXPECT_EQ(form->gridView->model()->index(2, 1).data().toString(), "2");
    EXPECT_EQ(form->gridView->model()->index(1, 2).data().toString(), "");
    EXPECT_EQ(form->currentCol(), 2);
    EXPECT_EQ(form->currentRow(), 2);
    form->deleteRowAction->trigger();
    EXPECT_EQ(form->gridView->model()->index(1, 2).data().toString(), "b;");
}

TEST_F(MainWindowView, SaveAndLoadAskForTheFileInTheWorkingDirectory) {
    create();
    std::filesystem::create_directory(dir.file("Messung"));
    fillSteps({{"2", "1.5{TAB};"}});
    runner->then([](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        EXPECT_EQ(files.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(QFileInfo(files.selectedFiles().value(0)).fileName(), "ablauf.abl");
        return int(QDialog::Rejected);
    });
    form->saveAction->trigger();
    EXPECT_FALSE(std::filesystem::exists(dir.file("ablauf.abl")));

    chooseFile("SaveDialog1", QString::fromStdString(dir.file("Messung/probe")));
    form->saveAction->trigger();
    EXPECT_EQ(dir.read("Messung/probe.abl").substr(0, 15), "1\t2\t1,5{TAB};\r\n");

    grid().setCell(1, 1, "7");
    form->setCurrentCell(2, 50);
    chooseFile("OpenDialog1", QString::fromStdString(dir.file("Messung/probe.abl")));
    form->loadAction->trigger();
    EXPECT_EQ(form->gridView->model()->index(0, 1).data().toString(), "2");
    EXPECT_EQ(form->currentRow(), 50);
}

TEST_F(MainWindowView, DoubleClickOnTheSeriesCountAsksForItWithTheNumberSelected) {
    create();
    runner->then([](QDialog& dialog) {
        auto& count = dynamic_cast<SeriesCountDialog&>(dialog);
        EXPECT_EQ(count.edit->text(), "0");
        EXPECT_EQ(count.edit->selectedText(), "0");
        count.edit->setText(" 1 0");
        QTest::keyClick(count.edit, Qt::Key_Return);
        return dialog.result();
    });
    QTest::mouseDClick(form->seriesCountLabel, Qt::LeftButton);
    EXPECT_EQ(state().series.valuesPerSeries, 10);
    EXPECT_EQ(form->seriesCountLabel->text(), "[10]");

    runner->then([](QDialog& dialog) {
        auto& count = dynamic_cast<SeriesCountDialog&>(dialog);
        EXPECT_EQ(count.edit->text(), "10");
        count.edit->setText("25");
        QTest::keyClick(count.edit, Qt::Key_Escape);
        return dialog.result();
    });
    form->editSeriesCount();
    EXPECT_EQ(form->seriesCountLabel->text(), "[10]");
}

TEST_F(MainWindowView, SeriesStringIsEditedInTheKeyActionList) {
    create();
    state().series.seriesString = "{ENTER};";
    editKeys(
        [](KeyActionDialog& keys) {
            EXPECT_EQ(keys.entries(), QStringList{"{ENTER}"});
            const QPoint tab = keys.tokenList->visualItemRect(keys.tokenList->item(3)).center();
            QTest::mouseClick(keys.tokenList->viewport(), Qt::LeftButton, {}, tab);
            QTest::mouseDClick(keys.tokenList->viewport(), Qt::LeftButton, {}, tab);
        },
        true);
    QTest::mouseDClick(form->seriesStringLabel, Qt::LeftButton);
    EXPECT_EQ(state().series.seriesString, "{ENTER};{TAB};");
    EXPECT_EQ(form->seriesStringLabel->text(), "{ENTER};{TAB};");

    editKeys([](KeyActionDialog& keys) { keys.entryList->clear(); }, false);
    form->editSeriesString();
    EXPECT_EQ(state().series.seriesString, "{ENTER};{TAB};");
}

TEST_F(MainWindowView, ErrorBoxHelperGoesThroughTheRunner) {
    create();
    expectErrorBox("COM3 Error");
    form->showError("COM3 Error");
    EXPECT_EQ(runner->shown(), QStringList{"ErrorBox"});
}

TEST_F(MainWindowView, DeviceAndFileTextsAreNeverRenderedAsMarkup) {
    create();
    const std::string line = "<img src=/dev/zero>\r";
    form->session().port().onReceiveData(line.data(), static_cast<std::int32_t>(line.size()));
    EXPECT_EQ(form->panelText(StatusPanel::Line), "<img src=/dev/zero>");
    // Every label of every window, the status panels included, shows its text as it stands.
    for (QLabel* label : form->findChildren<QLabel*>()) {
        if (!qobject_cast<QMessageBox*>(label->window())) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
        }
    }
    runner->then([](QDialog& dialog) {
        EXPECT_EQ(dynamic_cast<QMessageBox&>(dialog).textFormat(), Qt::PlainText);
        return int(QMessageBox::Ok);
    });
    form->showError("<b>ablauf.abl</b>");
}

} // namespace

TEST_F(MainWindowView, TheToleranceCellOpensItsDialogAndTheStepsRowShowsEachVerdictInColour) {
    create();
    fillSteps({{"1", ""}});
    runner->then([](QDialog& dialog) {
        auto& tolerance = dynamic_cast<ToleranceDialog&>(dialog);
        EXPECT_EQ(tolerance.windowTitle(), "Toleranz Schritt 1");
        EXPECT_FALSE(tolerance.settingsBox->isVisible());
        tolerance.characteristicEdit->setText(QString::fromUtf8("Ø"));
        tolerance.nominalEdit->setText("10,000");
        tolerance.lowerEdit->setText("10,02");
        tolerance.upperEdit->setText("10,05");
        QTest::mouseClick(tolerance.okButton, Qt::LeftButton);
        EXPECT_EQ(tolerance.messageLabel->text(), QString::fromUtf8("Soll liegt außerhalb der Grenzen."));
        tolerance.lowerEdit->setText("9,98");
        QTest::mouseClick(tolerance.settingsButton, Qt::LeftButton);
        EXPECT_TRUE(tolerance.settingsBox->isVisible());
        tolerance.nokChoice->setCurrentIndex(1);
        return pressButton(dialog, tolerance.okButton);
    });
    doubleClickCell(3, 1);
    const QModelIndex cell = form->gridModel().indexOf(3, 1);
    EXPECT_EQ(cell.data().toString(), QString::fromUtf8("Ø 10,000 +0,050/-0,020"));
    EXPECT_TRUE(state().tolerances.settings().holdNok);

    QLabel* linePanel = form->findChild<QLabel*>("sb1Panel5");
    const std::pair<Verdict, QColor> shown[] = {{Verdict::Ok, QColor(0xA8, 0xE6, 0xA8)},
                                                {Verdict::Warn, QColor(0xFF, 0xE0, 0x66)},
                                                {Verdict::Nok, QColor(0xF4, 0x7C, 0x7C)},
                                                {Verdict::None, QColor()}};
    for (const auto& [verdict, colour] : shown) {
        form->showVerdict(JudgedValue{1, state().tolerances.step(1), 10.0, "10,000", verdict, true});
        form->showLineVerdict(verdict);
        EXPECT_EQ(form->gridModel().indexOf(2, 1).data(Qt::BackgroundRole).value<QColor>(),
                  colour.isValid() ? colour : QColor(238, 227, 228));
        EXPECT_EQ(linePanel->autoFillBackground(), colour.isValid());
        if (colour.isValid()) {
            EXPECT_EQ(linePanel->palette().color(QPalette::Window), colour);
        }
    }
}
