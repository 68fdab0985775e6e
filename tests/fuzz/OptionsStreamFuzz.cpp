// Arbitrary bytes as a stored options block of each format version. A load either
// succeeds or raises EReadError; what loads saves and loads again unchanged.
#include "SysUtils.h"
#include "VantorLogOptions.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const uint16_t kVersions[] = {399, 400, 401, 403, 420, 421, 422, 449, 450, 499, 500, 505};

std::string Saved(const TVantorModuleOptions& o) {
    TMemoryStream s;
    o.SaveToStream(s);
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const uint16_t version = kVersions[data[0] % (sizeof kVersions / sizeof kVersions[0])];
    TVantorModuleOptions options("", false);
    TCustomMemoryStream stream(data + 1, size - 1);
    try {
        options.LoadFromStream(stream, version);
    } catch (const EReadError&) {
        if (options.UpdateDepth() != 0)
            std::abort();
        return 0;
    }
    const std::string first = Saved(options);
    TVantorModuleOptions again("", false);
    TCustomMemoryStream saved(first.data(), first.size());
    again.LoadFromStream(saved, kOptionsStreamVersion);
    if (Saved(again) != first)
        std::abort();
    return 0;
}
