#pragma once

#include "core/quality/StepTolerances.h"

#include <string>
#include <vector>

namespace travek {

// The tolerance file beside a sequence (ablauf.tol, or the saved sequence's name with ".tol"), in
// the profile format so that a person can write it too:
//
//   [TOLERANZ]        WARNUNG=50 (percent, 0: no warnings), NOK=TIPPEN or HALTEN
//   [SCHRITT n]       MERKMAL=, SOLL=, UGW=, OGW= (decimal comma or point; an empty limit is none)
//
// A step without a section has no limits. The sequence file itself never holds any of it: other
// programs read that format.
struct ToleranceFileContent {
    StepTolerances tolerances;
    // One line per entry that was refused, naming the file and the step: the step is read as
    // without limits, the settings as their defaults.
    std::vector<std::string> problems;
};

// Reads the file; a file that is not there reads as none (all steps without limits). Throws Error,
// naming the file, when it cannot be read or is not a file of this size.
ToleranceFileContent readToleranceFile(const std::string& path);

// The file's content for these tolerances.
std::string toleranceFileText(const StepTolerances& tolerances);

// Writes the file anew, atomically. Throws Error.
void writeToleranceFile(const std::string& path, const StepTolerances& tolerances);

} // namespace travek
