#pragma once

#include <string>
#include <vector>

namespace travek {

// The names of the entries of folder whose names end in ".VAL" in any letter case (files of every
// kind, hidden ones and folders included), sorted without regard to case as the Windows file
// search delivers them.
std::vector<std::string> findDefinitionFiles(const std::string& folder);

// The list entry of a definition file: the name before its first ".", padded with blanks to 34
// characters, then one more blank.
std::string definitionListEntry(const std::string& fileName);

} // namespace travek
