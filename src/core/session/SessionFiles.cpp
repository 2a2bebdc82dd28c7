#include "core/session/SessionFiles.h"

#include "core/files/FileIo.h"
#include "core/files/GridFile.h"
#include "core/files/GridModel.h"
#include "core/files/IniFile.h"
#include "core/files/SeriesFile.h"
#include "core/session/ProgramState.h"
#include "core/session/Reporting.h"
#include "core/text/Error.h"

#include <cerrno>
#include <cstdio>
#include <utility>

namespace travek {

namespace {

// The series file that goes with a sequence file: its name without the folder, ".pst" appended,
// in the working directory.
std::string seriesFileFor(const std::string& sequenceFile) {
    const auto slash = sequenceFile.find_last_of("/\\");
    return "./" + (slash == std::string::npos ? sequenceFile : sequenceFile.substr(slash + 1)) + ".pst";
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

} // namespace

SessionFiles::SessionFiles(SessionView& view, EventLoop& loop, GridModel& grid, ProgramState& state,
                           std::function<bool()> busy)
    : m_view(view), m_loop(loop), m_grid(grid), m_state(state), m_busy(std::move(busy)) {}

bool SessionFiles::loadSaved() {
    // Anything of the name is looked at, so that a folder or a FIFO in a file's place is reported
    // now and not only when the exit cannot save.
    const std::string sequenceFile = findPathIgnoreCase(SequenceFileName);
    if (!pathExists(sequenceFile))
        return false;
    try {
        m_view.beginGridUpdate();
        loadGridFromFile(m_grid, sequenceFile);
        m_view.endGridUpdate();
    } catch (const Error& error) {
        m_view.endGridUpdate();
        // A file too large to be a sequence was not loaded, and the empty grid must not replace it.
        if (error.code() == EFBIG)
            m_notLoaded.insert(nameForUser(sequenceFile));
        m_view.showError(systemTextToWin1252(error.what()));
    }
    // After a failed read the grid is loaded all the same, and the running sequence is still
    // refreshed from it.
    const std::string seriesFile = findPathIgnoreCase(SeriesFileName);
    return pathExists(seriesFile) && readSeriesSettings(seriesFile);
}

bool SessionFiles::readSeriesSettings(const std::string& file) {
    try {
        const SeriesFileContent series = readSeriesFile(file);
        m_state.series.valuesPerSeries = series.valuesPerSeries;
        m_state.series.seriesString = series.seriesString;
        return true;
    } catch (const Error& error) {
        if (error.code() == EFBIG)
            m_notLoaded.insert(nameForUser(file));
        m_view.showError(systemTextToWin1252(error.what()));
        return false;
    }
}

void SessionFiles::saveSequenceAs(const std::string& file) {
    saveGridToFile(m_grid, file);
    writeSeriesFile(seriesFileFor(file), m_state.series.valuesPerSeries, m_state.series.seriesString);
}

void SessionFiles::loadSequenceFrom(const std::string& file) {
    // A refused file (a folder, too long) changes nothing: the grid and the series settings stay
    // as they were.
    GridModel loaded = m_grid;
    loaded.onRowCountChanged = nullptr;
    loaded.onCellChanged = nullptr;
    loadGridFromFile(loaded, file);
    m_state.series.valuesPerSeries = 0;
    m_state.series.seriesString.clear();
    m_view.beginGridUpdate();
    m_grid.setRowCount(loaded.rowCount());
    for (int r = 0; r < loaded.rowCount(); ++r)
        for (int c = 0; c < loaded.colCount(); ++c)
            m_grid.setCell(c, r, loaded.cell(c, r));
    m_view.endGridUpdate();
    const std::string seriesFile = seriesFileFor(file);
    if (fileExists(seriesFile))
        readSeriesSettings(seriesFile);
    changed();
}

std::vector<std::string> SessionFiles::save() {
    // Each file is written on its own: one that cannot be written must not cost the others. The
    // files are found without regard to letter case, so that ABLAUF.ABL copied from Windows is
    // the one written, not a second file beside it.
    std::vector<std::string> errors;
    auto attempt = [this, &errors](const char* name, const auto& write) {
        const std::string path = findPathIgnoreCase(name);
        try {
            if (m_notLoaded.count(nameForUser(path)))
                throw Error(nameForUser(path) + ": beim Start nicht geladen, daher nicht \xFC"
                                                "berschrieben");
            write(path);
        } catch (const std::exception& error) {
            errors.push_back(systemTextToWin1252(error.what()));
        }
    };
    attempt(SequenceFileName, [this](const std::string& path) { saveGridToFile(m_grid, path); });
    attempt(SettingsFileName, [this](const std::string& path) {
        IniFile::writeValue(path, "PARAMETER", "INTERFACE", m_state.definition.interfaceName);
    });
    attempt(SeriesFileName, [this](const std::string& path) {
        writeSeriesFile(path, m_state.series.valuesPerSeries, m_state.series.seriesString);
    });
    return errors;
}

// Saving as things change, as the exit does: a signal that kills, a desktop that crashes, a power
// cut then loses at most the last second. Changes in a row (a dialog after a dialog) are saved
// once.
void SessionFiles::changed() {
    if (m_closed)
        return;
    m_save = later(m_loop, m_view, SaveDelay, [this] {
        // An error box in the middle of a value would hold the typing up until it is answered.
        if (m_busy()) {
            changed();
            return;
        }
        const std::string text = failureText(save());
        // A file that stays unwritable (write-protected on purpose) is said once, not at every
        // edit; a new failure, or the same after a success, is said again.
        if (!text.empty() && text != m_saveFailureShown)
            m_view.showError(text);
        m_saveFailureShown = text;
    });
}

void SessionFiles::saveAtExit(bool unattended) {
    if (m_closed)
        return;
    m_closed = true;
    m_save.cancel();
    const std::vector<std::string> errors = save();
    if (unattended) {
        for (const std::string& line : errors)
            std::fprintf(stderr, "travek: %s\n", line.c_str());
    } else if (const std::string text = failureText(errors); !text.empty()) {
        m_view.showError(text);
    }
}

std::string SessionFiles::failureText(const std::vector<std::string>& errors) {
    if (errors.empty() || folderTakesNewFiles("."))
        return joinLines(errors);
    if (std::exchange(m_unwritableFolderSaid, true))
        return {};
    std::string text =
        joinLines(errors) + "\nDer Ordner " + workingDirectoryForUser() +
        " l\xE4sst sich nicht beschreiben; weitere Fehler beim Speichern hier meldet TRAVEK nicht mehr.";
    const std::string home = installedWorkingFolder();
    if (!home.empty())
        text +=
            " TRAVEKs Arbeitsordner ist " + home + "; der Eintrag TRAVEK im Startmen\xFC startet es dort.";
    return text;
}

} // namespace travek
