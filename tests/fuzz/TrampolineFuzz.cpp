// Arbitrary code bytes through the instruction decoder and the trampoline
// builder: no read past the bytes, whole instructions covered, and a relocated
// copy whose instructions keep their lengths and whose closing jump goes back.
#include "InstructionLength.h"
#include "Trampoline.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the bytes there are, so that AddressSanitizer sees any read past them.
    std::vector<uint8_t> code(data, data + size);
    TInstruction instruction;
    if (DecodeInstruction(code.data(), code.size(), instruction) &&
        (instruction.Length > code.size() || instruction.Length > 15 ||
         instruction.PrefixLength >= instruction.Length))
        std::abort();
    const size_t covered = CoveredLength(code.data(), code.size());
    if (covered > code.size() || (covered < 5 && covered != code.size()))
        std::abort();
    if (covered < 5)
        return 0;
    const uint32_t target = 0x00401000, trampoline = 0x00A00000;
    std::vector<uint8_t> out = BuildTrampoline(code.data(), covered, target, trampoline);
    if (out.size() != TrampolineSize(code.data(), covered) || out.size() < covered + 5)
        std::abort();
    // Code that decodes keeps its instructions when relocated (bytes that do not
    // decode are copied one by one, and a displacement after them may read as
    // part of them).
    bool allDecode = true;
    for (size_t i = 0; i < covered && allDecode;) {
        TInstruction a;
        allDecode = DecodeInstruction(code.data() + i, covered - i, a);
        i += a.Length;
    }
    for (size_t i = 0; allDecode && i < covered;) {
        TInstruction a, b;
        DecodeInstruction(code.data() + i, covered - i, a);
        if (!DecodeInstruction(out.data() + i, covered - i, b) || a.Length != b.Length)
            std::abort();
        i += a.Length;
    }
    int32_t back;
    std::memcpy(&back, out.data() + covered + 1, 4);
    const uint32_t end = static_cast<uint32_t>(covered);
    if (out[covered] != 0xE9 || trampoline + end + 5 + static_cast<uint32_t>(back) != target + end)
        std::abort();
    return 0;
}
