// Arbitrary bytes as a debug resource and as a file with a tail block: a read
// succeeds or fails with a reason, never reads past the data or grows unbounded.
#include "DebugBlock.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> resource = {0x10, 0xAB, 0x0F, 0x00}; // the marker, so the body is reached
    resource.insert(resource.end(), data, data + size);
    TDebugData out;
    std::string error;
    {
        TVantorModuleOptions options("", false);
        if (!ReadDebugResource(resource.data(), resource.size(), options, true, out, error) &&
            error.empty())
            std::abort();
        uint32_t address;
        FindSymbol(resource.data(), resource.size(), size ? data[0] : 0, 0x400000, address);
        PasswordMatches(out, "x");
    }
    std::vector<uint8_t> file(data, data + size);
    file.insert(file.end(), {0x10, 0xAB, 0x0F, 0x00});
    TVantorModuleOptions options("", false);
    ReadDebugTail(file.data(), file.size(), options, true, out, error);
    return 0;
}
