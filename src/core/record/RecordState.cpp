#include "core/record/RecordState.h"

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"
#include "core/record/HashChain.h"
#include "core/record/RecordEvents.h"

#include <algorithm>
#include <charconv>

namespace travek {

namespace {

constexpr const char* Section = "PROTOKOLL";

std::int64_t readNumber(const IniFile& file, const char* key) {
    const std::string text = file.readString(Section, key, "");
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && number > 0 ? number : 1;
}

} // namespace

RecordState RecordState::load(const std::string& path) {
    const std::optional<std::string> content = readWholeFile(path);
    RecordState state;
    if (!content)
        return state;
    const IniFile file(*content);
    state.nextNumber = readNumber(file, "SATZ");
    state.log = file.readString(Section, "DATEI", "");
    state.chain = file.readString(Section, "KETTE", "");
    if (!HashChain::isValue(state.chain))
        state.chain.clear();
    state.running = file.readString(Section, "OFFEN", "0") == "1";
    state.part = file.readString(Section, "TEIL", "");
    return state;
}

void RecordState::save(const std::string& path) const {
    IniFile file;
    file.setValue(Section, "SATZ", std::to_string(nextNumber));
    // In quotes: a name or part with blanks at an end, or in quotes itself, reads back as it was.
    file.setValue(Section, "DATEI", "\"" + log + "\"");
    file.setValue(Section, "KETTE", chain);
    file.setValue(Section, "OFFEN", running ? "1" : "0");
    file.setValue(Section, "TEIL", "\"" + part + "\"");
    writeFileAtomically(path, file.content());
}

RecordResume resumeRecord(const RecordState& state, const std::optional<MeasurementLog::LastRow>& last,
                          const std::string& log) {
    RecordResume resume;
    if (last) {
        // While a session runs the state's number is a reserve, not the next one: a crash with
        // the log in place goes on at the log's next number.
        resume.nextNumber = std::max(last->number + 1, state.running ? 1 : state.nextNumber);
        resume.chain = last->chain;
        // A line cut short by the end may follow the end row; a start row, or rows beyond the
        // notes read, without an end row between: the session ended otherwise.
        resume.endMissing = true;
        for (const std::string& note : last->recentNotes) {
            if (note == RecordEvents::End)
                resume.endMissing = false;
            if (note == RecordEvents::End || note.rfind(RecordEvents::StartPrefix, 0) == 0)
                break;
        }
        return resume;
    }
    resume.nextNumber = state.nextNumber;
    resume.chain =
        state.log == log && !state.chain.empty() ? state.chain : std::string(HashChain::StartValue);
    resume.endMissing = state.running;
    return resume;
}

} // namespace travek
