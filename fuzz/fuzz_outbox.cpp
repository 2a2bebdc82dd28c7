// The measurement log read back as the publisher's outbox: whatever a log file holds (rows edited by
// hand, cut off by a full disk, quotes that never close), the records come out in rising Satz order,
// each a JSON object in UTF-8 with no raw control character, or the file is refused with an Error.

#include "FuzzSupport.h"
#include "core/publish/LogOutbox.h"
#include "core/text/Error.h"

using namespace travek;
using namespace travek::fuzz;

namespace {

void checkJson(const std::string& json) {
    if (json.size() < 2 || json.front() != '{' || json.back() != '}')
        fail("not an object: " + printable(json));
    for (std::size_t i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json[i]);
        if (byte < 0x20)
            fail("a raw control character in " + printable(json));
        if (byte < 0x80)
            continue;
        const std::size_t length = byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > json.size())
            fail("not UTF-8: " + printable(json));
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(json[i + k]) & 0xC0) != 0x80)
                fail("not UTF-8: " + printable(json));
        i += length - 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const std::string log = ScratchDir::file("messung.csv");
    writeFile(log, std::string_view(reinterpret_cast<const char*>(bytes), size));
    LogOutbox outbox(log);
    long long satz = 0;
    try {
        for (int i = 0; i < 1000; ++i) {
            const auto record = outbox.next(satz);
            if (!record)
                break;
            if (record->satz <= satz)
                fail("Satz " + std::to_string(record->satz) + " after " + std::to_string(satz));
            checkJson(record->json);
            satz = record->satz;
        }
        outbox.newest();
    } catch (const Error&) {
    }
    return 0;
}
