#include "Trampoline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kTarget = 0x00401000;
constexpr uint32_t kTrampoline = 0x00A00000;

uint32_t JumpDestination(const std::vector<uint8_t>& code, size_t at, uint32_t base) {
    EXPECT_EQ(code[at], 0xE9);
    int32_t displacement;
    std::memcpy(&displacement, code.data() + at + 1, 4);
    return base + static_cast<uint32_t>(at) + 5 + static_cast<uint32_t>(displacement);
}

} // namespace

TEST(Trampoline, CopiesWholeInstructionsAndJumpsBack) {
    // push ebp; mov ebp, esp; sub esp, 0x18; ...
    const std::vector<uint8_t> code = {0x55, 0x89, 0xE5, 0x83, 0xEC, 0x18, 0x90, 0x90};
    const size_t covered = CoveredLength(code.data(), code.size());
    EXPECT_EQ(covered, 6u);
    std::vector<uint8_t> t = BuildTrampoline(code.data(), covered, kTarget, kTrampoline);
    ASSERT_EQ(t.size(), 11u);
    EXPECT_TRUE(std::equal(code.begin(), code.begin() + 6, t.begin()));
    EXPECT_EQ(JumpDestination(t, 6, kTrampoline), kTarget + 6);
}

TEST(Trampoline, ShortJumpOutOfTheCopyGoesThroughAStub) {
    // push ebp; jz +5 (beyond the copy); mov ebp, esp; ...
    const std::vector<uint8_t> code = {0x55, 0x74, 0x05, 0x89, 0xE5, 0x90, 0x90, 0x90, 0xC3};
    const size_t covered = CoveredLength(code.data(), code.size());
    ASSERT_EQ(covered, 5u);
    EXPECT_EQ(TrampolineSize(code.data(), covered), 15u);
    std::vector<uint8_t> t = BuildTrampoline(code.data(), covered, kTarget, kTrampoline);
    ASSERT_EQ(t.size(), 15u);
    EXPECT_EQ(t[1], 0x74);
    const size_t stub = 3 + static_cast<int8_t>(t[2]);
    EXPECT_EQ(stub, 10u) << "the first stub follows the closing jump";
    EXPECT_EQ(JumpDestination(t, stub, kTrampoline), kTarget + 8) << "where jz went";
    EXPECT_EQ(JumpDestination(t, 5, kTrampoline), kTarget + 5);
}

TEST(Trampoline, NearBranchesOutOfTheCopyKeepTheirDestination) {
    // call +0x10; jnz -0x100; a jump to itself stays inside the copy.
    const std::vector<uint8_t> code = {0xE8, 0x10, 0x00, 0x00, 0x00, 0x0F, 0x85,
                                       0x00, 0xFF, 0xFF, 0xFF, 0xEB, 0xFE, 0x90};
    std::vector<uint8_t> t = BuildTrampoline(code.data(), 5, kTarget, kTrampoline);
    int32_t displacement;
    std::memcpy(&displacement, t.data() + 1, 4);
    EXPECT_EQ(kTrampoline + 5 + static_cast<uint32_t>(displacement), kTarget + 5 + 0x10);

    t = BuildTrampoline(code.data() + 5, 8, kTarget + 5, kTrampoline);
    std::memcpy(&displacement, t.data() + 2, 4);
    EXPECT_EQ(kTrampoline + 6 + static_cast<uint32_t>(displacement), kTarget + 11 - 0x100);
    EXPECT_EQ(t[6], 0xEB);
    EXPECT_EQ(t[7], 0xFE) << "a jump that stays inside the copy is left alone";
    EXPECT_EQ(t.size(), 13u);
}

TEST(Trampoline, UndecodableBytesCountOneEach) {
    const std::vector<uint8_t> code = {0x0F, 0x04, 0x0F, 0x04, 0x0F, 0x04};
    EXPECT_EQ(CoveredLength(code.data(), code.size()), 5u);
    EXPECT_EQ(CoveredLength(code.data(), 3), 3u) << "never past the bytes there are";
}

TEST(Trampoline, ImportJumpStubs) {
    const uint8_t delphi[8] = {0xFF, 0x25, 1, 2, 3, 4, 0x8B, 0xC0};
    const uint8_t gnu[8] = {0xFF, 0x25, 1, 2, 3, 4, 0x90, 0x90};
    const uint8_t other[8] = {0xFF, 0x25, 1, 2, 3, 4, 0xCC, 0xCC};
    EXPECT_TRUE(IsImportJumpStub(delphi));
    EXPECT_TRUE(IsImportJumpStub(gnu));
    EXPECT_FALSE(IsImportJumpStub(other));
}
