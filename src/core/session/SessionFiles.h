#pragma once

#include "core/loop/EventLoop.h"

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace travek {

class GridModel;
class SessionView;
struct ProgramState;

// The session's files in the working folder: the sequence ablauf.abl, the series file ablauf.pst
// and the interface name in TRAVEK.INI. Loads them when the session opens, saves them SaveDelay
// after a change and at the exit, each on its own, and never writes over a file that was refused
// when it was loaded. Also the sequence files that "Speichern" and "Laden" name, with their series
// files.
class SessionFiles {
public:
    static constexpr const char* SequenceFileName = "./ablauf.abl";
    static constexpr const char* SeriesFileName = "./ablauf.pst";
    static constexpr const char* SettingsFileName = "TRAVEK.INI";
    // How long after the last change the files are saved.
    static constexpr std::chrono::milliseconds SaveDelay{1000};

    // busy: a value is being typed, and an error box now would hold the typing up.
    SessionFiles(SessionView& view, EventLoop& loop, GridModel& grid, ProgramState& state,
                 std::function<bool()> busy);

    // Loads ablauf.abl into the grid and ablauf.pst into the series settings, reporting a file that
    // cannot be read in the error box; true when the series settings were read.
    bool loadSaved();
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
    // Reads a series file into the series settings; on an error the box is shown, the settings
    // stay as they were and the result is false.
    bool readSeriesSettings(const std::string& file);
    // Writes the three files; the errors, one line each.
    std::vector<std::string> save();
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
};

} // namespace travek
