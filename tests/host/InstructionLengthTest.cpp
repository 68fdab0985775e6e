#include "InstructionLength.h"

#include <gtest/gtest.h>

#include <vector>

TEST(InstructionLength, Encodings) {
    struct {
        const char* what;
        std::vector<uint8_t> code;
        size_t length; // 0: not decodable
    } const cases[] = {
        {"push ebp", {0x55}, 1},
        {"mov ebp, esp", {0x89, 0xE5}, 2},
        {"sub esp, imm8", {0x83, 0xEC, 0x18}, 3},
        {"sub esp, imm32", {0x81, 0xEC, 0x00, 0x01, 0x00, 0x00}, 6},
        {"mov eax, imm32", {0xB8, 1, 2, 3, 4}, 5},
        {"mov ax, imm16 (operand size)", {0x66, 0xB8, 1, 2}, 4},
        {"mov [ebp-8], imm32", {0xC7, 0x45, 0xF8, 1, 2, 3, 4}, 7},
        {"mov word [ebp-8], imm16", {0x66, 0xC7, 0x45, 0xF8, 1, 2}, 6},
        {"mov eax, [esp+4] (SIB, disp8)", {0x8B, 0x44, 0x24, 0x04}, 4},
        {"mov eax, [eax*4+disp32] (SIB, no base)", {0x8B, 0x04, 0x85, 1, 2, 3, 4}, 7},
        {"mov eax, [disp32]", {0x8B, 0x05, 1, 2, 3, 4}, 6},
        {"mov eax, [ebx+disp32]", {0x8B, 0x83, 1, 2, 3, 4}, 6},
        {"mov eax, [bx+si] (address size)", {0x67, 0x8B, 0x00}, 3},
        {"mov eax, [disp16] (address size)", {0x67, 0x8B, 0x06, 1, 2}, 5},
        {"mov eax, moffs32", {0xA1, 1, 2, 3, 4}, 5},
        {"mov eax, moffs16 (address size)", {0x67, 0xA1, 1, 2}, 4},
        {"lock cmpxchg [ecx], edx", {0xF0, 0x0F, 0xB1, 0x11}, 4},
        {"rep movsd", {0xF3, 0xA5}, 2},
        {"fs: mov eax, [0]", {0x64, 0xA1, 0, 0, 0, 0}, 6},
        {"test byte [eax], imm8 (group 3 /0)", {0xF6, 0x00, 0x7F}, 3},
        {"test eax, imm32 (group 3 /0)", {0xF7, 0xC0, 1, 2, 3, 4}, 6},
        {"neg eax (group 3 /3)", {0xF7, 0xD8}, 2},
        {"enter 16, 0", {0xC8, 0x10, 0x00, 0x00}, 4},
        {"ret 8", {0xC2, 0x08, 0x00}, 3},
        {"call far ptr16:32", {0x9A, 1, 2, 3, 4, 5, 6}, 7},
        {"jz rel8", {0x74, 0x10}, 2},
        {"call rel32", {0xE8, 1, 2, 3, 4}, 5},
        {"jnz rel32", {0x0F, 0x85, 1, 2, 3, 4}, 6},
        {"imul eax, ecx, imm8", {0x6B, 0xC1, 0x07}, 3},
        {"nop dword [eax+eax+0]", {0x0F, 0x1F, 0x44, 0x00, 0x00}, 5},
        {"pshufb xmm0, xmm1 (0F 38)", {0x66, 0x0F, 0x38, 0x00, 0xC1}, 5},
        {"palignr xmm0, xmm1, 4 (0F 3A)", {0x66, 0x0F, 0x3A, 0x0F, 0xC1, 0x04}, 6},
        {"pshufd xmm0, xmm1, 0 (0F 70)", {0x66, 0x0F, 0x70, 0xC1, 0x00}, 5},
        {"fstsw ax (wait + fnstsw)", {0x9B, 0xDF, 0xE0}, 3},
        {"fld qword [ebp-8]", {0xDD, 0x45, 0xF8}, 3},
        {"ud2", {0x0F, 0x0B}, 2},
        {"undefined 0F 04", {0x0F, 0x04}, 0},
        {"lone prefixes", {0x66, 0x66}, 0},
        {"truncated immediate", {0xB8, 1, 2}, 0},
        {"truncated SIB", {0x8B, 0x44}, 0},
        {"more than 15 bytes",
         {0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0xC7, 0x00,
          1, 2},
         0},
        {"nothing", {}, 0},
    };
    for (const auto& c : cases) {
        TInstruction instruction;
        const bool decoded = DecodeInstruction(c.code.data(), c.code.size(), instruction);
        EXPECT_EQ(decoded, c.length != 0) << c.what;
        if (decoded) {
            EXPECT_EQ(instruction.Length, c.length) << c.what;
        }
    }
}
