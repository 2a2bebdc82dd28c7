#pragma once

#include "core/target/FocusWindow.h"

#include <optional>
#include <string>

namespace travek {

class IniFile;

// The window that values are meant for ("Zielfenster"), kept in TRAVEK.INI, section TARGET. No
// program and no class means no target: then every window takes values, as always.
struct TargetWindow {
    std::string program;
    std::string windowClass;
    std::string title;
    // Titles change with the document, so by default the program and the class are enough.
    bool matchTitle = false;

    static constexpr const char* Section = "TARGET";
    static constexpr const char* NoTarget = "kein Zielfenster (es wird in jedes Fenster getippt)";

    bool isSet() const { return !program.empty() || !windowClass.empty(); }
    // The program and the class must be the same (the program's name without regard to ASCII
    // letter case, as Windows spells executables either way); the title too with matchTitle.
    bool matches(const WindowInfo& window) const;
    // The target taken from a window: line breaks in its title become blanks, so it fits one
    // line of the settings file.
    static TargetWindow of(const WindowInfo& window, bool matchTitle);

    static TargetWindow read(const IniFile& settings);
    // Replaces the section's four keys in the file at path in one write; throws Error.
    void write(const std::string& path) const;
};

// A window as the user reads it in the status panel and the measurement log: its title, then the
// program and the class in brackets; "kein Fenster" for none.
std::string describeWindow(const std::optional<WindowInfo>& window);
// The target as the dialog shows it: program, class and title, each named; NoTarget for none.
std::string describeTarget(const TargetWindow& target);

} // namespace travek
