// The main window's side of the dialogs: each is filled from its presenter, run modally through
// the dialog runner, and its answer handed back to the session.
#include "gui/qt/MainWindow.h"

#include "core/session/Dialogs.h"
#include "gui/qt/ChannelDialog.h"
#include "gui/qt/ComPortDialog.h"
#include "gui/qt/InterfaceDialog.h"
#include "gui/qt/KeyActionDialog.h"
#include "gui/qt/RecordTextDialog.h"
#include "gui/qt/SeriesCountDialog.h"
#include "gui/qt/TargetWindowDialog.h"
#include "gui/qt/Win1252.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

namespace travek {

namespace {

const QString ScriptFilter = QStringLiteral("TRAVEK Skriptdateien (*.abl)");

} // namespace

void MainWindow::showErrorBox(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Fehler"), text, QMessageBox::Ok, this);
    box.setObjectName("ErrorBox");
    // Error texts quote file names and file contents: never rendered as markup.
    box.setTextFormat(Qt::PlainText);
    m_runner->run(box);
}

void MainWindow::showNotice(const std::string& text) {
    noticeLabel->setText(fromWin1252(text));
    noticeLabel->setVisible(!text.empty());
}

void MainWindow::showError(const std::string& text) {
    showErrorBox(fromWin1252(text));
}

void MainWindow::beep() {
    QApplication::beep();
}

std::string MainWindow::chooseSequenceFile(bool save) {
    QFileDialog dialog(this, QString(), QDir::currentPath(), ScriptFilter);
    dialog.setObjectName(save ? "SaveDialog1" : "OpenDialog1");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("abl");
    if (save)
        dialog.selectFile("ablauf.abl");
    if (m_runner->run(dialog) != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    // File names from the file dialog are names of the local file system, not program texts.
    return files.isEmpty() ? std::string() : QFile::encodeName(files.first()).toStdString();
}

bool MainWindow::runChannelDialog(ChannelChoice& choice) {
    ChannelDialog& dialog = *m_windows.channelDialog;
    dialog.showChoice(choice);
    const bool accepted = m_runner->run(dialog) == QDialog::Accepted;
    choice.select(dialog.selectedPosition());
    return accepted;
}

bool MainWindow::runKeyActionDialog(KeyActionList& list) {
    KeyActionDialog& dialog = *m_windows.keyActionDialog;
    dialog.setList(&list);
    const bool accepted = m_runner->run(dialog) == QDialog::Accepted;
    dialog.setList(nullptr);
    return accepted;
}

bool MainWindow::runSeriesCountDialog(const SeriesCountInput& input, int& value) {
    SeriesCountDialog& dialog = *m_windows.seriesCountDialog;
    dialog.edit->setText(fromWin1252(input.text()));
    if (m_runner->run(dialog) != QDialog::Accepted)
        return false;
    value = dialog.value;
    return true;
}

bool MainWindow::runInterfaceDialog(const InterfaceChoice& choice, int& row) {
    InterfaceDialog& dialog = *m_windows.interfaceDialog;
    dialog.showChoice(choice);
    if (m_runner->run(dialog) != QDialog::Accepted)
        return false;
    row = dialog.chosenRow();
    return true;
}

bool MainWindow::runComPortDialog(ComPortChoice& choice) {
    ComPortDialog& dialog = *m_windows.comPortDialog;
    dialog.setChoice(&choice);
    const bool accepted = m_runner->run(dialog) == QDialog::Accepted;
    dialog.setChoice(nullptr);
    return accepted;
}

bool MainWindow::runTargetWindowDialog(TargetWindowChoice& choice) {
    TargetWindowDialog& dialog = *m_windows.targetWindowDialog;
    dialog.setChoice(&choice);
    const bool accepted = m_runner->run(dialog) == QDialog::Accepted;
    dialog.setChoice(nullptr);
    return accepted;
}

bool MainWindow::runRecordTextDialog(RecordTextInput& input) {
    RecordTextDialog& dialog = *m_windows.recordTextDialog;
    dialog.setInput(&input);
    const bool accepted = m_runner->run(dialog) == QDialog::Accepted;
    dialog.setInput(nullptr);
    return accepted;
}

} // namespace travek
