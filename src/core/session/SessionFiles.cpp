#include "core/session/SessionFiles.h"

#include "core/files/FileIo.h"
#include "core/files/GridFile.h"
#include "core/files/GridModel.h"
#include "core/files/IniFile.h"
#include "core/files/SeriesFile.h"
#include "core/files/ToleranceFile.h"
#include "core/session/Inspection.h"
#include "core/session/ProgramState.h"
#include "core/session/Reporting.h"
#include "core/text/Error.h"

#include <cerrno>
#include <cstdio>
#include <utility>

namespace travek {

namespace {

// The series file that goes with a sequence file: its name without the folder, ".pst" appended,
// in the working directory. Found without regard to letter case, so that PROBE.ABL.PST copied
// from Windows is the one read and written, not a second file beside it.
std::string companionFileFor(const std::string& sequenceFile, const char* extension) {
    const auto slash = sequenceFile.find_last_of("/\\");
    return findPathIgnoreCase(
        "./" + (slash == std::string::npos ? sequenceFile : sequenceFile.substr(slash + 1)) + extension);
}

std::string seriesFileFor(const std::string& sequenceFile) {
    return companionFileFor(sequenceFile, ".pst");
}

// The tolerance file goes with a sequence file as its series file does: PROBE.ABL.tol.
std::string toleranceFileFor(const std::string& sequenceFile) {
    return companionFileFor(sequenceFile, ".tol");
}

// The side file that takes the session's version of one of its files, number n: ablauf-2.abl,
// TRAVEK-2.INI. The series file goes with the sequence file as "Laden" finds it: ablauf-2.abl.pst,
// so that loading ablauf-2.abl brings the session's whole sequence back.
std::string sideFileFor(const std::string& name, int n) {
    if (name == SessionFiles::SeriesFileName)
        return sideFileFor(SessionFiles::SequenceFileName, n) + ".pst";
    if (name == SessionFiles::ToleranceFileName)
        return sideFileFor(SessionFiles::SequenceFileName, n) + ".tol";
    const auto slash = name.rfind('/');
    const auto dot = name.find('.', slash == std::string::npos ? 0 : slash + 1);
    return name.substr(0, dot) + "-" + std::to_string(n) + name.substr(dot);
}

// The files whose versions belong together: a sequence and its series settings go to side files
// together, or a user would have to match them up.
std::vector<const char*> groupOf(const std::string& name) {
    if (name == SessionFiles::SettingsFileName)
        return {SessionFiles::SettingsFileName};
    return {SessionFiles::SequenceFileName, SessionFiles::SeriesFileName, SessionFiles::ToleranceFileName};
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
    // Each file's version is taken before it is read: a change made while it is read is another
    // program's, too.
    for (const char* name : {SequenceFileName, SeriesFileName, ToleranceFileName, SettingsFileName})
        remember(name);
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
    readTolerances(findPathIgnoreCase(ToleranceFileName));
    const std::string seriesFile = findPathIgnoreCase(SeriesFileName);
    return pathExists(seriesFile) && readSeriesSettings(seriesFile);
}

bool SessionFiles::writesTolerances() const {
    return !m_state.tolerances.empty() || pathExists(findPathIgnoreCase(ToleranceFileName));
}

void SessionFiles::readTolerances(const std::string& file) {
    m_state.tolerances.clear();
    try {
        ToleranceFileContent content = readToleranceFile(file);
        m_state.tolerances = std::move(content.tolerances);
        if (!content.problems.empty())
            m_view.showError(joinLines(content.problems));
    } catch (const Error& error) {
        if (error.code() == EFBIG)
            m_notLoaded.insert(nameForUser(file));
        m_view.showError(systemTextToWin1252(error.what()));
    }
    showTolerances(m_grid, m_state.tolerances);
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

IniFile SessionFiles::loadSettings() {
    remember(SettingsFileName);
    return IniFile::load(findPathIgnoreCase(SettingsFileName));
}

void SessionFiles::writeSettings(const std::function<void(const std::string& path)>& write) {
    std::vector<std::string> errors;
    saveOne(SettingsFileName, write, errors);
    if (!errors.empty())
        throw Error(joinLines(errors));
}

void SessionFiles::saveSequenceAs(const std::string& file) {
    saveGridToFile(m_grid, file);
    noteWritten(file);
    const std::string seriesFile = seriesFileFor(file);
    writeSeriesFile(seriesFile, m_state.series.valuesPerSeries, m_state.series.seriesString);
    noteWritten(seriesFile);
    // A sequence without limits gets no tolerance file, but one of an earlier save is made empty.
    const std::string toleranceFile = toleranceFileFor(file);
    if (!m_state.tolerances.empty() || pathExists(toleranceFile)) {
        writeToleranceFile(toleranceFile, m_state.tolerances);
        noteWritten(toleranceFile);
    }
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
    readTolerances(toleranceFileFor(file));
    changed();
}

void SessionFiles::remember(const char* name) {
    m_versions[name].stamp = fileStamp(findPathIgnoreCase(name));
}

void SessionFiles::noteWritten(const std::string& path) {
    const auto written = fileStamp(path);
    if (!written)
        return;
    for (auto& [name, version] : m_versions) {
        const auto own = fileStamp(findPathIgnoreCase(name));
        if (own && own->volume == written->volume && own->file == written->file)
            version.stamp = own;
    }
}

std::string SessionFiles::destination(const char* name, std::vector<std::string>& notes) {
    if (const std::string& side = m_versions[name].divertedTo; !side.empty())
        return side;
    std::vector<const char*> group = groupOf(name);
    // A sequence without limits has no tolerance file to go beside it.
    if (!writesTolerances())
        std::erase(group, ToleranceFileName);
    std::string changed;
    for (const char* member : group) {
        const std::string path = findPathIgnoreCase(member);
        const auto now = fileStamp(path);
        // A file that is gone holds nothing of anyone's to lose; a folder in a file's place is
        // refused by the writing itself, with its own reason.
        if (now && now != m_versions[member].stamp && fileExists(path))
            changed = nameForUser(path);
    }
    if (changed.empty())
        return findPathIgnoreCase(name);
    // Another program's version stays as it is, and the session's goes beside it under a name that
    // holds nothing yet, so that neither is lost: not even an earlier session's side file.
    int n = 2;
    auto taken = [&n, &group] {
        for (const char* member : group)
            if (pathExists(findPathIgnoreCase(sideFileFor(member, n))))
                return true;
        return false;
    };
    while (taken())
        ++n;
    std::string sides;
    for (const char* member : group) {
        m_versions[member].divertedTo = findPathIgnoreCase(sideFileFor(member, n));
        sides += (sides.empty() ? "" : " und ") + nameForUser(m_versions[member].divertedTo);
    }
    notes.push_back(changed +
                    " wurde von einem anderen Programm ge\xE4ndert und bleibt, wie es ist; TRAVEK "
                    "speichert den Stand dieser Sitzung in " +
                    sides);
    return m_versions[name].divertedTo;
}

void SessionFiles::saveOne(const char* name, const std::function<void(const std::string&)>& write,
                           std::vector<std::string>& errors) {
    try {
        const std::string own = findPathIgnoreCase(name);
        if (m_notLoaded.count(nameForUser(own)))
            throw Error(nameForUser(own) + ": beim Start nicht geladen, daher nicht \xFC"
                                           "berschrieben");
        const std::string path = destination(name, errors);
        write(path);
        if (path == own)
            remember(name);
    } catch (const std::exception& error) {
        errors.push_back(systemTextToWin1252(error.what()));
    }
}

std::vector<std::string> SessionFiles::save() {
    // Each file is written on its own: one that cannot be written must not cost the others. The
    // files are found without regard to letter case, so that ABLAUF.ABL copied from Windows is
    // the one written, not a second file beside it.
    std::vector<std::string> errors;
    saveOne(
        SequenceFileName, [this](const std::string& path) { saveGridToFile(m_grid, path); }, errors);
    saveOne(
        SettingsFileName,
        [this](const std::string& path) {
            IniFile::writeValue(path, "PARAMETER", "INTERFACE", m_state.definition.interfaceName);
        },
        errors);
    saveOne(
        SeriesFileName,
        [this](const std::string& path) {
            writeSeriesFile(path, m_state.series.valuesPerSeries, m_state.series.seriesString);
        },
        errors);
    if (writesTolerances())
        saveOne(
            ToleranceFileName,
            [this](const std::string& path) { writeToleranceFile(path, m_state.tolerances); }, errors);
    return errors;
}

// Saving as things change, as the exit does: a signal that kills, a desktop that crashes, a power
// cut then loses at most the second after the first change that is not saved yet. Changes that
// follow (a dialog after a dialog) go with it, and do not put it off.
void SessionFiles::changed() {
    if (m_closed || m_save.pending())
        return;
    arm(SaveDelay);
}

void SessionFiles::arm(std::chrono::milliseconds delay) {
    m_save = later(m_loop, m_view, delay, [this] {
        // An error box in the middle of a value would hold the typing up until it is answered.
        if (m_busy()) {
            arm(BusyRetry);
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
