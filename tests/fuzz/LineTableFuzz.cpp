// Arbitrary bytes as a line table of each format version, looked up at addresses
// taken from the input: a lookup answers or fails, never reads past the data.
#include "LineTable.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint16_t versions[] = {404, 422, 423, 499, 500, 501, 502, 505};
    if (size < 6)
        return 0;
    TLineLookup lookup;
    lookup.Names.Version = versions[data[0] % 8];
    lookup.Names.NamesReadable = (data[1] & 1) != 0;
    lookup.ModuleBase = 0x00400000;
    lookup.ReadCode = [](uint32_t, uint8_t* bytes, size_t count) {
        std::memset(bytes, 0x55, count);
        return true;
    };
    uint32_t offset;
    std::memcpy(&offset, data + 2, 4);
    TLineInfo info;
    FindLineInfo(data + 6, size - 6, lookup, 0x00401000 + (offset & 0xFFFFF), info);
    return 0;
}
