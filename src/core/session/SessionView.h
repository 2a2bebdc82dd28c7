#pragma once

#include "core/quality/Verdict.h"
#include "core/session/StatusPanel.h"

#include <string>

namespace travek {

class ChannelChoice;
class ComPortChoice;
class InterfaceAssistant;
class InterfaceChoice;
class KeyActionList;
class RecordTextInput;
class SeriesCountInput;
class TargetWindowChoice;
class ToleranceInput;

// What the workflow needs of a user interface: show texts, ask through dialogs, report errors.
// Every text is 8-bit (Windows-1252). A view shows and forwards; it decides nothing.
class SessionView {
public:
    virtual ~SessionView() = default;

    virtual void setPanelText(StatusPanel panel, const std::string& text) = 0;
    // The large label above the grid ("Active", "Init", "Comport ??", ...).
    virtual void setActiveText(const std::string& text) = 0;
    virtual void setCaption(const std::string& text) = 0;
    // The labels beside "Nach": the series count as "[n]" and the series string.
    virtual void showSeriesCount(const std::string& text) = 0;
    virtual void showSeriesString(const std::string& text) = 0;
    // The hidden service window's output box.
    virtual void showServiceOutput(const std::string& text) = 0;

    // The grid's current cell, as (column, row) of the grid, the header being row 0.
    virtual void setCurrentCell(int col, int row) = 0;
    // Many grid changes follow until endGridUpdate: the view may redraw once at the end.
    virtual void beginGridUpdate() = 0;
    virtual void endGridUpdate() = 0;

    // A standing notice in the main window, for a situation that lasts and that a line of the
    // status bar or standard error would not keep in sight (the log cannot be written, nothing is
    // typed): shown until it is replaced, hidden when empty.
    virtual void showNotice(const std::string& text) { (void)text; }

    // The error box: title "Fehler", one OK button.
    virtual void showError(const std::string& text) = 0;
    // The system's warning sound.
    virtual void beep() = 0;
    // The file dialog for sequence files (*.abl); empty when cancelled. The name is the local
    // file system's.
    virtual std::string chooseSequenceFile(bool save) = 0;

    // Each runs its dialog modally over the presenter, which holds what the user did; true for OK.
    virtual bool runChannelDialog(ChannelChoice& choice) = 0;
    virtual bool runKeyActionDialog(KeyActionList& list) = 0;
    // The number typed on OK goes to value.
    virtual bool runSeriesCountDialog(const SeriesCountInput& input, int& value) = 0;
    // The chosen row goes to row (-1 for none).
    virtual bool runInterfaceDialog(const InterfaceChoice& choice, int& row) = 0;
    virtual bool runComPortDialog(ComPortChoice& choice) = 0;
    virtual bool runTargetWindowDialog(TargetWindowChoice& choice) = 0;
    // "Bediener" or "Teil/Los": OK is taken only when the presenter takes the text.
    virtual bool runRecordTextDialog(RecordTextInput& input) {
        (void)input;
        return false;
    }
    // A value judged against its step's limits (every value typed or held, Verdict::None where the
    // step has none): the step's row shows the verdict, and an open control chart takes the value.
    // It comes before the value's keys are typed.
    virtual void showVerdict(const JudgedValue& value) { (void)value; }
    // The line panel's colour: the verdict on the line it shows; None for its usual colour.
    virtual void showLineVerdict(Verdict verdict) { (void)verdict; }
    // A value outside its limits: a sound that the operator tells apart from beep().
    virtual void signalNok() {}
    // "Toleranz" of one step: OK is taken only when the presenter takes the fields.
    virtual bool runToleranceDialog(ToleranceInput& input) {
        (void)input;
        return false;
    }
    // "Interface einrichten", modally; what came of it the assistant holds.
    virtual void runInterfaceAssistant(InterfaceAssistant& assistant) { (void)assistant; }
    // A question answered with yes or no; true for yes.
    virtual bool ask(const std::string& question) {
        (void)question;
        return false;
    }
};

} // namespace travek
