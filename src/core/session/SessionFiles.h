#pragma once

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"
#include "core/loop/EventLoop.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace travek {

class GridModel;
class SessionView;
struct ProgramState;

// The session's files in the working folder: the sequence ablauf.abl, the series file ablauf.pst,
// the steps' tolerances ablauf.tol (written only where there are any, or the file is there) and the
// interface name in TRAVEK.INI. Loads them when the session opens, saves them SaveDelay
// after a change and at the exit, each on its own, and never writes over a file that was refused
// when it was loaded, nor over one that another program changed since TRAVEK read or wrote it.
// Also the sequence files that "Speichern" and "Laden" name, with their series and tolerance files.
class SessionFiles {
public:
    static constexpr const char* SequenceFileName = "./ablauf.abl";
    static constexpr const char* SeriesFileName = "./ablauf.pst";
    static constexpr const char* ToleranceFileName = "./ablauf.tol";
    static constexpr const char* SettingsFileName = "TRAVEK.INI";
    // How long after the first unsaved change the files are saved, whatever changes follow.
    static constexpr std::chrono::milliseconds SaveDelay{1000};
    // How soon a save that waited for a value being typed is tried again.
    static constexpr std::chrono::milliseconds BusyRetry{100};

    // busy: a value is being typed, and an error box now would hold the typing up.
    SessionFiles(SessionView& view, EventLoop& loop, GridModel& grid, ProgramState& state,
                 std::function<bool()> busy);

    // Loads ablauf.abl into the grid and ablauf.pst into the series settings, reporting a file that
    // cannot be read in the error box; true when the series settings were read.
    bool loadSaved();
    // TRAVEK.INI as it is now (a refused file throws Error); later saves compare with this version.
    IniFile loadSettings();
    // Writes into TRAVEK.INI (or where its saves go since another program changed it) at once.
    void writeSettings(const std::function<void(const std::string& path)>& write);
    // "Speichern": the grid to file, the series settings to the series file that goes with it.
    void saveSequenceAs(const std::string& file);
    // "Laden": the grid and the series settings from file and its series file. A refused file
    // changes nothing (throws Error); a missing or bad series file empties the series settings.
    void loadSequenceFrom(const std::string& file);

    // The grid, the series settings or the interface changed: the files are saved SaveDelay later.
    void changed();
    // Saves now, once, and nothing after it. Unattended (a signal, the end of the desktop session)
    // nobody is there to answer a box, so a file that cannot be saved is reported on standard
    // error instead.
    void saveAtExit(bool unattended);

private:
    // What TRAVEK read or last wrote of one of its files; and where its saves go instead, since
    // another program changed the file (empty while they go to the file).
    struct Version {
        std::optional<FileStamp> stamp;
        std::string divertedTo;
    };

    // Reads a series file into the series settings; on an error the box is shown, the settings
    // stay as they were and the result is false.
    bool readSeriesSettings(const std::string& file);
    // Reads a tolerance file into the program state's tolerances (none when it is not there) and
    // shows them in the grid; a refused file or refused entries are said in one box, and the
    // steps concerned are without limits.
    void readTolerances(const std::string& file);
    // A sequence without limits behaves as before they came: no tolerance file is made for it.
    bool writesTolerances() const;
    // Writes the three files; the errors, one line each.
    std::vector<std::string> save();
    void arm(std::chrono::milliseconds delay);
    // The file's version as it is now is the one TRAVEK knows.
    void remember(const char* name);
    // Remembers every written file that is one of the session's own under another name.
    void noteWritten(const std::string& path);
    // Where name's content is saved: the file itself, or its side file once another program has
    // changed it or a file that goes with it (said once, in notes).
    std::string destination(const char* name, std::vector<std::string>& notes);
    // Writes name's content through write, at its destination; errors and notes, one line each.
    void saveOne(const char* name, const std::function<void(const std::string&)>& write,
                 std::vector<std::string>& errors);
    // What to say of a save's errors: each file's. Where the folder takes no files (started from
    // the program's folder, where a user may not write), also which folder and where TRAVEK's
    // working folder is, and that once: later saves there say nothing more.
    std::string failureText(const std::vector<std::string>& errors);

    SessionView& m_view;
    EventLoop& m_loop;
    GridModel& m_grid;
    ProgramState& m_state;
    std::function<bool()> m_busy;
    EventLoop::Task m_save;
    bool m_closed = false;
    // The failures of the last save as they were shown; empty after a save that worked.
    std::string m_saveFailureShown;
    bool m_unwritableFolderSaid = false;
    // The files (as nameForUser gives them) that were refused when the session opened: the
    // session's state is not theirs, so they are never written over.
    std::set<std::string> m_notLoaded;
    std::map<std::string, Version> m_versions; // by the file's name (SequenceFileName, ...)
};

} // namespace travek
