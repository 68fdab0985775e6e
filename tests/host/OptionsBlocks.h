// Options blocks in the layouts of older library versions, built by the tests from
// the loading order.
#pragma once

#include "VantorLogOptions.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace test_blocks {

// Builds a stored block the way a library of the given version wrote it.
struct TBlock {
    std::string bytes;
    TBlock& U8(uint8_t v) {
        bytes += static_cast<char>(v);
        return *this;
    }
    TBlock& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    TBlock& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    TBlock& Str(const std::string& s) {
        U32(static_cast<uint32_t>(s.size()));
        bytes += MaskString(s);
        return *this;
    }
};

struct TOldBlockValues {
    uint8_t showException = 1; // as stored (inverted before 450)
    std::string mailServer;
    uint8_t mailMethod = 0;
    int32_t freezeSeconds = 0;
    std::array<uint8_t, 4> items{0, 0, 0, 0};
};

// The loading order, version by version, written out again for the test.
inline TBlock OldBlock(uint16_t v, const TOldBlockValues& x) {
    TBlock b;
    b.U8(1).U8(0).U8(0x30); // LogActive, FiltersActive, LogFlags
    if (v < 500)
        b.U8(x.showException);
    b.U8(1); // LogInMailBody
    if (v >= 450 && v <= 499)
        b.U8(1).U8(0).U8(1); // WholeLog, AttachScreenshot, ShowSendProgress
    if (v > 400)
        b.U8(0).U8(2); // SaveLog, StartTab
    if (v >= 403 && v <= 499)
        b.U8(1); // OwnLook
    if (v >= 420) {
        b.U8(1).U32(static_cast<uint32_t>(x.freezeSeconds)).Str("Old frozen text");
        if (v >= 450)
            b.Str("old@sender");
    }
    b.Str(x.mailServer);
    if (v >= 450)
        b.U16(587);
    if (v > 420)
        b.Str("oldlogin").Str("oldpass").U8(0);
    b.U8(0).U32(12).U32(5).Str("to@x.y").Str("Old subject").U8(x.mailMethod);
    if (v >= 500) {
        b.U8(0xFF).U8(0xFF).U8(0xFF).U8(0xFF).U8(0xFF);
    } else {
        for (uint8_t byte : x.items)
            b.U8(byte);
    }
    if (v < 450)
        b.U8(0x77); // discarded
    b.Str("D:\\OldLogs");
    if (v >= 500)
        b.U8(1)
            .Str("web")
            .Str("wl")
            .Str("wp")
            .U32(80)
            .Str("")
            .U16(81)
            .U8(31)
            .U32(0)
            .Str("")
            .Str("t")
            .U8(15)
            .U8(48)
            .U8(1)
            .U32(10)
            .U32(1);
    b.U32(0).Str("old body");
    return b;
}

// Appends the texts that a version stores, each naming its index.
inline void AppendTexts(TBlock& b, const std::vector<int>& skipped) {
    for (int i = 0; i < kTextCount; ++i)
        if (std::find(skipped.begin(), skipped.end(), i) == skipped.end())
            b.Str("old text " + std::to_string(i));
}

inline std::vector<int> SkippedTexts(uint16_t v) {
    std::vector<int> s;
    for (int i = 0; i < kTextCount; ++i) {
        bool skip =
            (i == 17 && v < 420) || (i == 16 && v < 421) ||
            (((i >= 8 && i <= 11) || (i >= 18 && i <= 20) || i == 26 || i == 41 || i == 52 ||
              i >= 75 || i == 47 || i == 48) &&
             v < 450) ||
            ((i == 12 || i == 13 || i == 21 || i == 27 || i == 46 || (i >= 54 && i <= 61) ||
              (i >= 68 && i <= 74) || i == 89 || i == 94 || i == 95 || i == 47 || i == 48) &&
             v < 500);
        if (skip)
            s.push_back(i);
    }
    return s;
}

} // namespace test_blocks
