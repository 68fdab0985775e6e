// The byte work of a code patch: how many whole instructions a 5-byte jump
// covers, and the trampoline that runs them in their new place. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The length of the whole instructions from code that cover at least 5 bytes
// (an instruction that does not decode counts as one byte).
size_t CoveredLength(const uint8_t* code, size_t available);

// The trampoline's size for the first covered bytes of code: the copy, the
// closing jump, and a 5-byte stub for every short jump that leaves the copy.
size_t TrampolineSize(const uint8_t* code, size_t covered);

// The trampoline's bytes, to be placed at trampolineAddress: the covered bytes
// of the routine at targetAddress relocated (short jumps out of the copy through
// stubs, near calls and jumps and two-byte conditional jumps out of it moved by
// the distance), the jump back to targetAddress + covered, then the stubs.
std::vector<uint8_t> BuildTrampoline(const uint8_t* code, size_t covered, uint32_t targetAddress,
                                     uint32_t trampolineAddress);

// The 5 bytes of a relative jump from at to destination.
void EncodeJump(uint8_t* out, uint32_t at, uint32_t destination);

// An import jump stub: FF 25 and the slot's address, then a two-byte filler
// (8B C0, or 90 90 as GNU ld writes it). The slot is the 32-bit value at bytes 2..5.
bool IsImportJumpStub(const uint8_t* bytes8);
