#pragma once

namespace travek {

// The main window's status bar, left to right.
enum class StatusPanel {
    Port,        // "COM n", "COM ?", "DONE"
    Interface,   // the interface definition's name
    StepCount,   // the number of steps in the sequence
    CurrentStep, // the step whose channel is expected next
    Channel,     // the channel of the last line, "n [OK]"
    Line         // the last line received, or what became of it
};

inline constexpr int StatusPanelCount = 6;

} // namespace travek
