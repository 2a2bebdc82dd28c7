// The main window's side of the dialogs: the file dialog, and each dialog filled from its
// presenter, run modally on the program's own loop, and its answer handed back to the session.
#include "gui/win32/MainWindow.h"

#include "core/session/Dialogs.h"
#include "gui/win32/Win32EventLoop.h"
#include "platform/win32/WideText.h"

#include <commdlg.h>
#include <filesystem>
#include <optional>

namespace travek {

std::string MainWindow::chooseSequenceFile(bool save) {
    // In UTF-16: the folders on the way may have names that Windows-1252 cannot hold.
    wchar_t file[MAX_PATH] = L"";
    if (save)
        ::lstrcpynW(file, L"ablauf.abl", MAX_PATH);
    wchar_t folder[MAX_PATH] = L"";
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = activeOwner();
    dialog.lpstrFilter = L"TRAVEK Skriptdateien (*.abl)\0*.abl\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = folder;
    dialog.lpstrDefExt = L"abl";
    // The working directory holds the program's files: the dialog must not move it.
    dialog.Flags = OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (!chosen)
        return {};
    // A file of the working directory goes by its bare name, whatever the folders above are called.
    const std::filesystem::path chosenPath(file);
    std::error_code error;
    const std::wstring name = std::filesystem::equivalent(chosenPath.parent_path(), folder, error)
                                  ? chosenPath.filename().wstring()
                                  : chosenPath.wstring();
    if (const std::optional<std::string> text = fromWide(name))
        return *text;
    showError(
        "Der Pfad dieser Datei enth\xE4lt Zeichen, die TRAVEK nicht darstellen kann. W\xE4hlen Sie eine "
        "Datei im Arbeitsordner oder in einem anderen Ordner.");
    return {};
}

bool MainWindow::runChannelDialog(ChannelChoice& choice) {
    m_channelDialog.showChoice(choice);
    const bool accepted = m_channelDialog.runModal(m_loop) == IDOK;
    choice.select(m_channelDialog.selectedPosition());
    return accepted;
}

bool MainWindow::runKeyActionDialog(KeyActionList& list) {
    m_keyActionDialog.setList(&list);
    const bool accepted = m_keyActionDialog.runModal(m_loop) == IDOK;
    m_keyActionDialog.setList(nullptr);
    return accepted;
}

bool MainWindow::runSeriesCountDialog(const SeriesCountInput& input, int& value) {
    m_seriesCountDialog.setText(input.text());
    if (m_seriesCountDialog.runModal(m_loop) != IDOK)
        return false;
    value = m_seriesCountDialog.value();
    return true;
}

bool MainWindow::runInterfaceDialog(const InterfaceChoice& choice, int& row) {
    m_interfaceDialog.showChoice(choice);
    if (m_interfaceDialog.runModal(m_loop) != IDOK)
        return false;
    row = m_interfaceDialog.chosenRow();
    return true;
}

bool MainWindow::runComPortDialog(ComPortChoice& choice) {
    m_comPortDialog->setChoice(&choice);
    const bool accepted = m_comPortDialog->runModal(m_loop) == IDOK;
    m_comPortDialog->setChoice(nullptr);
    return accepted;
}

bool MainWindow::runTargetWindowDialog(TargetWindowChoice& choice) {
    m_targetWindowDialog.setChoice(&choice);
    const bool accepted = m_targetWindowDialog.runModal(m_loop) == IDOK;
    m_targetWindowDialog.setChoice(nullptr);
    return accepted;
}

} // namespace travek
