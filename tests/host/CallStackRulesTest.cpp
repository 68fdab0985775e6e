#include "CallStackRules.h"

#include <gtest/gtest.h>

#include <vector>

TEST(CallStackRules, CallFormsBeforeAReturnAddress) {
    const uint8_t n = 0x90; // filler that matches nothing
    struct {
        const char* what;
        std::vector<uint8_t> before; // the 7 bytes before the return address
        bool pointerReadable;
        TCallForm form;
        uint32_t offset;
    } const cases[] = {
        {"call rel32", {n, n, 0xE8, 1, 2, 3, 4}, true, kCallDirect, 2},
        {"call eax", {n, n, n, n, n, 0xFF, 0xD0}, true, kCallRegister, 5},
        {"call edi", {n, n, n, n, n, 0xFF, 0xD7}, true, kCallRegister, 5},
        {"call [eax]", {n, n, n, n, n, 0xFF, 0x10}, true, kCallThroughRegister, 5},
        {"call [esi]", {n, n, n, n, n, 0xFF, 0x16}, true, kCallThroughRegister, 5},
        {"call [eax+8]", {n, n, n, n, 0xFF, 0x50, 0x08}, true, kCallRegisterDisp8, 4},
        {"call [ebp-4]", {n, n, n, n, 0xFF, 0x55, 0xFC}, true, kCallRegisterDisp8, 4},
        {"call [ebx+disp32]", {n, 0xFF, 0x93, 1, 2, 3, 4}, true, kCallRegisterDisp32, 1},
        {"call [esp]", {n, n, n, n, 0xFF, 0x14, 0x24}, true, kCallThroughEsp, 4},
        {"call [esp+8]", {n, n, n, 0xFF, 0x54, 0x24, 0x08}, true, kCallEspDisp8, 3},
        {"call [esp+disp32]", {0xFF, 0x94, 0x24, 1, 2, 3, 4}, true, kCallEspDisp32, 0},
        {"call [ptr], readable", {n, 0xFF, 0x15, 1, 2, 3, 4}, true, kCallAbsolutePointer, 1},
        {"call [ptr], pointer unreadable", {n, 0xFF, 0x15, 1, 2, 3, 4}, false, kNoCall, 0},
        {"FF 54 where form 4 looks is no form 4", {n, n, n, n, 0xFF, 0x54, 0x24}, true, kNoCall, 0},
        {"FF 14 24 only with the SIB", {n, n, n, n, n, 0xFF, 0x14}, true, kNoCall, 0},
        {"ESP is no register form", {n, n, n, n, n, 0xFF, 0x14}, true, kNoCall, 0},
        {"nothing", {n, n, n, n, n, n, n}, true, kNoCall, 0},
        {"form 1 is tested first", {n, n, 0xE8, n, n, 0xFF, 0xD0}, true, kCallDirect, 2},
    };
    for (const auto& c : cases) {
        uint32_t offset = 99;
        bool asked = false;
        const TCallForm form = MatchCallForm(
            c.before.data(),
            [&](uint32_t pointer) {
                asked = true;
                EXPECT_EQ(pointer, 0x04030201u) << c.what;
                return c.pointerReadable;
            },
            offset);
        EXPECT_EQ(form, c.form) << c.what;
        if (form != kNoCall) {
            EXPECT_EQ(offset, c.offset) << c.what;
        }
    }
}

TEST(CallStackRules, ExportNames) {
    struct {
        const char* name;
        uint8_t kind;
        const char* unit;
        const char* className;
        const char* procedure;
    } const cases[] = {
        {"@Forms@TApplication@HandleException$qqrp14System@TObject", 3, "Forms.cpp", "TApplication",
         "HandleException"},
        {"@Unit1@Run$qqrv", 3, "Unit1.cpp", "", "Run"},
        // A trailing "@" before the "$" goes: the class reads as the procedure.
        {"@Forms@TApplication@$bctr$qqrv", 3, "Forms.cpp", "", "TApplication"},
        {"@Sys@@Init$qqrv", 3, "Sys.cpp", "", "_Init"},
        {"@NoDollar", 2, "", "", "_NoDollar"},
        {"@$xp$Something", 2, "", "", "_$xp$Something"},
        {"Forms.TApplication.Run", 3, "Forms.cpp", "TApplication", "Run"},
        {"Forms.Run@8", 3, "Forms.cpp", "", "Run"},
        {"a.b.c.d", 1, "", "", ""},
        {"GetTickCount", 2, "", "", "GetTickCount"},
        {"?Mangled@@YAXXZ", 1, "", "", ""},
    };
    for (const auto& c : cases) {
        TExportName split = SplitExportName(c.name);
        EXPECT_EQ(split.Kind, c.kind) << c.name;
        EXPECT_EQ(split.UnitName, c.unit) << c.name;
        EXPECT_EQ(split.ClassName, c.className) << c.name;
        EXPECT_EQ(split.ProcedureName, c.procedure) << c.name;
    }
}
