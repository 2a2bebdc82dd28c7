// Interface definition files: any text loads, and the loaded fields keep the lengths that the
// rest of the program relies on (the receive line is only 30 bytes, commands go out in one write).

#include "FuzzSupport.h"
#include "core/gauge/InterfaceDefinition.h"

#include <cmath>

using namespace travek;
using namespace travek::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const std::string path = ScratchDir::file("FUZZ.VAL");
    writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes), size));

    InterfaceDefinition d;
    loadInterfaceDefinition(d, path);

    for (int n = 0; n <= MaxChannels; ++n)
        if (d.sendSigns[n].size() > 20)
            fail("sendSigns[" + std::to_string(n) + "] longer than 20");
    for (int n = 1; n <= MaxChannels; ++n) {
        if (d.channelIds[n].size() > 5)
            fail("channelIds[" + std::to_string(n) + "] longer than 5");
        if (d.channelCommands[n].size() > 12)
            fail("channelCommands[" + std::to_string(n) + "] longer than 12");
    }
    if (!(d.channelIds[0].empty() && d.channelCommands[0].empty()))
        fail("entry 0 of the channel tables filled");
    if (d.disableAllCommand.size() > 12)
        fail("disableAllCommand longer than 12");
    if (!std::isfinite(d.factor))
        fail("Factor not finite");
    return 0;
}
