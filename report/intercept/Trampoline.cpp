#include "Trampoline.h"

#include "InstructionLength.h"

#include <cstring>

namespace {

bool IsShortJump(uint8_t opcode) {
    return (opcode >= 0x70 && opcode <= 0x7F) || (opcode >= 0xE0 && opcode <= 0xE3) ||
           opcode == 0xEB;
}

// Where the relative displacement of a branch lies in the instruction, and its
// width; 0 for an instruction that is no relative branch.
size_t BranchDisplacement(const uint8_t* code, const TInstruction& instruction, size_t& width) {
    const size_t op = instruction.PrefixLength;
    if (IsShortJump(code[op]) && instruction.Length == op + 2) {
        width = 1;
        return op + 1;
    }
    if ((code[op] == 0xE8 || code[op] == 0xE9) && instruction.Length == op + 5) {
        width = 4;
        return op + 1;
    }
    if (code[op] == 0x0F && instruction.Length == op + 6 && code[op + 1] >= 0x80 &&
        code[op + 1] <= 0x8F) {
        width = 4;
        return op + 2;
    }
    width = 0;
    return 0;
}

size_t LengthAt(const uint8_t* code, size_t available, TInstruction& instruction) {
    if (!DecodeInstruction(code, available, instruction)) {
        instruction = TInstruction();
        instruction.Length = 1;
    }
    return instruction.Length;
}

int32_t Displacement(const uint8_t* at, size_t width) {
    if (width == 1)
        return static_cast<int8_t>(at[0]);
    int32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

// Whether a branch at offset i of the copy leaves the copied bytes.
bool LeavesCopy(const uint8_t* code, size_t i, const TInstruction& instruction, size_t covered,
                size_t displacementAt, size_t width) {
    const int64_t destination = static_cast<int64_t>(i + instruction.Length) +
                                Displacement(code + i + displacementAt, width);
    return destination < 0 || destination >= static_cast<int64_t>(covered);
}

} // namespace

size_t CoveredLength(const uint8_t* code, size_t available) {
    size_t covered = 0;
    while (covered < 5 && covered < available) {
        TInstruction instruction;
        covered += LengthAt(code + covered, available - covered, instruction);
    }
    return covered;
}

namespace {

// Calls visit(offset, instruction length, displacement offset, width) for every
// relative branch among the covered bytes whose destination lies outside them.
template <class Visit> void ForEachBranchOut(const uint8_t* code, size_t covered, Visit visit) {
    for (size_t i = 0; i < covered;) {
        TInstruction instruction;
        const size_t length = LengthAt(code + i, covered - i, instruction);
        size_t width = 0;
        const size_t at = BranchDisplacement(code + i, instruction, width);
        if (width && LeavesCopy(code, i, instruction, covered, at, width))
            visit(i, length, at, width);
        i += length;
    }
}

} // namespace

size_t TrampolineSize(const uint8_t* code, size_t covered) {
    size_t size = covered + 5;
    ForEachBranchOut(code, covered, [&](size_t, size_t, size_t, size_t width) {
        if (width == 1)
            size += 5;
    });
    return size;
}

std::vector<uint8_t> BuildTrampoline(const uint8_t* code, size_t covered, uint32_t targetAddress,
                                     uint32_t trampolineAddress) {
    std::vector<uint8_t> out(TrampolineSize(code, covered));
    std::memcpy(out.data(), code, covered);
    size_t stub = covered + 5;
    ForEachBranchOut(code, covered, [&](size_t i, size_t length, size_t at, size_t width) {
        const uint32_t next = static_cast<uint32_t>(i + length);
        const uint32_t destination =
            targetAddress + next + static_cast<uint32_t>(Displacement(code + i + at, width));
        if (width == 1) {
            // The short jump reaches a stub that jumps on to the destination.
            EncodeJump(out.data() + stub, trampolineAddress + static_cast<uint32_t>(stub),
                       destination);
            out[i + at] = static_cast<uint8_t>(stub - next);
            stub += 5;
        } else {
            const uint32_t moved = destination - (trampolineAddress + next);
            std::memcpy(out.data() + i + at, &moved, 4);
        }
    });
    EncodeJump(out.data() + covered, trampolineAddress + static_cast<uint32_t>(covered),
               targetAddress + static_cast<uint32_t>(covered));
    return out;
}

void EncodeJump(uint8_t* out, uint32_t at, uint32_t destination) {
    const uint32_t displacement = destination - at - 5;
    out[0] = 0xE9;
    std::memcpy(out + 1, &displacement, 4);
}

bool IsImportJumpStub(const uint8_t* bytes8) {
    return bytes8[0] == 0xFF && bytes8[1] == 0x25 &&
           ((bytes8[6] == 0x8B && bytes8[7] == 0xC0) || (bytes8[6] == 0x90 && bytes8[7] == 0x90));
}
