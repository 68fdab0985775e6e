#include "InstructionLength.h"

namespace {

// What follows an opcode.
enum : uint8_t {
    kNone = 0,
    kModRM = 1,       // a ModR/M byte (with SIB and displacement as it says)
    kImm8 = 2,        // one immediate byte
    kImmZ = 4,        // 4 immediate bytes, 2 with the operand-size prefix
    kImm16 = 8,       // two immediate bytes
    kMemOffset = 16,  // a memory offset: 4 bytes, 2 with the address-size prefix
    kFarPointer = 32, // offset (as kImmZ) and a 2-byte segment
    kGroup3 = 64,     // F6/F7: an immediate only for /0 and /1 (test)
    kInvalid = 128,
};

constexpr uint8_t M = kModRM, I8 = kImm8, IZ = kImmZ, X = kInvalid;

// One-byte opcode map; prefixes and 0F are handled before it is consulted.
constexpr uint8_t kOneByte[256] = {
    // 00
    M,
    M,
    M,
    M,
    I8,
    IZ,
    0,
    0,
    M,
    M,
    M,
    M,
    I8,
    IZ,
    0,
    X,
    // 10
    M,
    M,
    M,
    M,
    I8,
    IZ,
    0,
    0,
    M,
    M,
    M,
    M,
    I8,
    IZ,
    0,
    0,
    // 20
    M,
    M,
    M,
    M,
    I8,
    IZ,
    X,
    0,
    M,
    M,
    M,
    M,
    I8,
    IZ,
    X,
    0,
    // 30
    M,
    M,
    M,
    M,
    I8,
    IZ,
    X,
    0,
    M,
    M,
    M,
    M,
    I8,
    IZ,
    X,
    0,
    // 40
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    // 50
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    // 60
    0,
    0,
    M,
    M,
    X,
    X,
    X,
    X,
    IZ,
    M | IZ,
    I8,
    M | I8,
    0,
    0,
    0,
    0,
    // 70
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    // 80
    M | I8,
    M | IZ,
    M | I8,
    M | I8,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    // 90
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    kFarPointer,
    0,
    0,
    0,
    0,
    0,
    // A0
    kMemOffset,
    kMemOffset,
    kMemOffset,
    kMemOffset,
    0,
    0,
    0,
    0,
    I8,
    IZ,
    0,
    0,
    0,
    0,
    0,
    0,
    // B0
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    // C0
    M | I8,
    M | I8,
    kImm16,
    0,
    M,
    M,
    M | I8,
    M | IZ,
    kImm16 | I8,
    0,
    kImm16,
    0,
    0,
    I8,
    0,
    0,
    // D0
    M,
    M,
    M,
    M,
    I8,
    I8,
    0,
    0,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    // E0
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    I8,
    IZ,
    IZ,
    kFarPointer,
    I8,
    0,
    0,
    0,
    0,
    // F0
    X,
    0,
    X,
    X,
    0,
    0,
    M | kGroup3,
    M | kGroup3,
    0,
    0,
    0,
    0,
    0,
    0,
    M,
    M,
};

// Two-byte map (after 0F); 0F 38 and 0F 3A are three-byte escapes handled apart.
constexpr uint8_t kTwoByte[256] = {
    // 00
    M,
    M,
    M,
    M,
    X,
    0,
    0,
    0,
    0,
    0,
    X,
    0,
    X,
    M,
    0,
    M | I8,
    // 10
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    // 20
    M,
    M,
    M,
    M,
    X,
    X,
    X,
    X,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    // 30
    0,
    0,
    0,
    0,
    0,
    0,
    X,
    0,
    X,
    X,
    X,
    X,
    X,
    X,
    X,
    X,
    // 40
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    // 50
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    // 60
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    // 70
    M | I8,
    M | I8,
    M | I8,
    M | I8,
    M,
    M,
    M,
    0,
    M,
    M,
    X,
    X,
    M,
    M,
    M,
    M,
    // 80
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    IZ,
    // 90
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    // A0
    0,
    0,
    0,
    M,
    M | I8,
    M,
    X,
    X,
    0,
    0,
    0,
    M,
    M | I8,
    M,
    M,
    M,
    // B0
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M | I8,
    M,
    M,
    M,
    M,
    M,
    // C0
    M,
    M,
    M | I8,
    M,
    M | I8,
    M | I8,
    M | I8,
    M,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    // D0
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    // E0
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    // F0
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
    M,
};

bool IsPrefix(uint8_t b) {
    switch (b) {
    case 0x26:
    case 0x2E:
    case 0x36:
    case 0x3E:
    case 0x64:
    case 0x65:
    case 0x66:
    case 0x67:
    case 0xF0:
    case 0xF2:
    case 0xF3:
        return true;
    default:
        return false;
    }
}

// The bytes a ModR/M byte brings with it (itself, SIB, displacement).
size_t ModRMLength(const uint8_t* at, size_t available, bool address16, bool& ok) {
    if (available < 1) {
        ok = false;
        return 0;
    }
    const uint8_t modrm = at[0];
    const uint8_t mod = modrm >> 6, rm = modrm & 7;
    if (mod == 3)
        return 1;
    if (address16) {
        if (mod == 0)
            return rm == 6 ? 3 : 1;
        return mod == 1 ? 2 : 3;
    }
    size_t length = 1;
    if (rm == 4) {
        if (available < 2) {
            ok = false;
            return 0;
        }
        ++length;
        if (mod == 0 && (at[1] & 7) == 5)
            return length + 4;
    }
    if (mod == 0)
        return rm == 5 ? length + 4 : length;
    return length + (mod == 1 ? 1 : 4);
}

} // namespace

bool DecodeInstruction(const uint8_t* code, size_t available, TInstruction& instruction) {
    instruction = TInstruction();
    size_t at = 0;
    bool operand16 = false, address16 = false;
    // Redundant prefixes are legal up to the 15-byte limit of an instruction.
    while (at < available && at < 14 && IsPrefix(code[at])) {
        operand16 |= code[at] == 0x66;
        address16 |= code[at] == 0x67;
        ++at;
    }
    if (at >= available)
        return false;
    // WAIT before a floating-point instruction belongs to it (fstsw is 9B DF E0).
    if (code[at] == 0x9B && at + 1 < available && code[at + 1] >= 0xD8 && code[at + 1] <= 0xDF)
        ++at;
    instruction.PrefixLength = at;
    uint8_t flags;
    const uint8_t opcode = code[at++];
    if (opcode == 0x0F) {
        if (at >= available)
            return false;
        const uint8_t second = code[at++];
        if (second == 0x38 || second == 0x3A) {
            if (at >= available)
                return false;
            ++at; // the third opcode byte
            flags = second == 0x3A ? (kModRM | kImm8) : kModRM;
        } else {
            flags = kTwoByte[second];
        }
    } else {
        flags = kOneByte[opcode];
    }
    if (flags & kInvalid)
        return false;

    bool ok = true;
    uint8_t reg = 0;
    if (flags & kModRM) {
        if (at < available)
            reg = (code[at] >> 3) & 7;
        at += ModRMLength(code + at, available - at, address16, ok);
        if (!ok)
            return false;
    }
    const size_t immZ = operand16 ? 2 : 4;
    if (flags & kImm8)
        at += 1;
    if (flags & kImm16)
        at += 2;
    if (flags & kImmZ)
        at += immZ;
    if (flags & kMemOffset)
        at += address16 ? 2 : 4;
    if (flags & kFarPointer)
        at += immZ + 2;
    if ((flags & kGroup3) && reg <= 1)
        at += opcode == 0xF6 ? 1 : immZ;
    if (at > available || at > 15)
        return false;
    instruction.Length = at;
    return true;
}
