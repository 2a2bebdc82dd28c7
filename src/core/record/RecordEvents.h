#pragma once

#include "core/gauge/InterfaceDefinition.h"
#include "core/session/SequenceState.h"

#include <string>
#include <string_view>

namespace travek {

// The notes of the log's event rows (channel 0, the event in "Hinweis"): the trail of who changed
// what and when, in the same file and the same chain as the measurements. Definitions and
// sequences are named by a short fingerprint (8 hexadecimal digits of their SHA-256), so that a
// row says which one was in force without quoting it.
namespace RecordEvents {

inline constexpr const char* End = "Ende";
// How every start row's note begins.
inline constexpr const char* StartPrefix = "Start: ";
inline constexpr const char* PortLost = "Port verloren";
inline constexpr const char* PortBack = "Port wieder da";

std::string definitionFingerprint(const InterfaceDefinition& definition);
// The steps in force and the series settings: what is typed after which value.
std::string sequenceFingerprint(const SequenceTable& sequence, const SeriesSettings& series);

// "Start: TRAVEK v1.01, Interface DEMO 1a2b3c4d, Ablauf 9f8e7d6c", and after a session that ended
// without its end row, that too.
std::string start(std::string_view version, const InterfaceDefinition& definition,
                  const std::string& sequenceFingerprint, bool previousEndMissing);
std::string interfaceChosen(const InterfaceDefinition& definition);
std::string portChosen(const InterfaceDefinition& definition);
std::string sequenceInForce(const std::string& sequenceFingerprint);
std::string targetChosen(const std::string& description);
std::string operatorChanged(const std::string& name);
std::string partChanged(const std::string& part);

} // namespace RecordEvents

} // namespace travek
