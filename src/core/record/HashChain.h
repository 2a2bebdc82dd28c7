#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace travek {

// The chain that shows whether a log's rows were altered after they were written. Each row's
// chain value ("Kette") is the SHA-256 of the previous row's chain value followed by the row's
// other fields exactly as written: the row's bytes up to its last separator, which is the one
// before the chain value. A row edited, deleted, inserted or moved no longer links to its
// neighbours. It proves nothing against someone who computes the whole chain anew.
namespace HashChain {

inline constexpr std::size_t ValueLength = 64;
// Where the chain of a new log begins.
inline constexpr std::string_view StartValue =
    "0000000000000000000000000000000000000000000000000000000000000000";

// The chain value of a row whose bytes before the chain value are body.
std::string next(std::string_view previous, std::string_view body);
// 64 lower-case hexadecimal digits.
bool isValue(std::string_view text);

// The note of the row that begins a file whose chain goes on from an earlier file: it names the
// value it links to, so that the file can be checked on its own, and with the earlier file
// whether nothing is missing between them.
std::string continuationNote(std::string_view previous);
// The value that such a note names; nothing for any other note.
std::optional<std::string> continuedFrom(std::string_view note);

} // namespace HashChain

} // namespace travek
