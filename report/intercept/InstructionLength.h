// Length of one IA-32 instruction (32-bit code): prefixes, one- and two-byte
// opcode maps, ModR/M, SIB, displacements and immediates. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

struct TInstruction {
    size_t Length = 0;       // whole instruction, prefixes included
    size_t PrefixLength = 0; // bytes before the opcode
};

// Decodes the instruction at code, reading no more than available bytes. False
// for an undefined opcode or an instruction that runs past available.
bool DecodeInstruction(const uint8_t* code, size_t available, TInstruction& instruction);
