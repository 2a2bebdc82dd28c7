#pragma once

#include <cstdio>
#include <string_view>

namespace travek {

// Writes a program text (Windows-1252) to a console program's stream so that it reads right
// there: a terminal of a Linux system reads UTF-8, a Windows console its own code page, and a
// stream redirected into a file on Windows gets the program text as it is. Defined by the
// platform layer.
void writeConsole(std::FILE* stream, std::string_view text);

} // namespace travek
