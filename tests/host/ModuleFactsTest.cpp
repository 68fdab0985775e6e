#include "ModuleFacts.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ModuleFacts, FileNamesAndFolders) {
    struct {
        const char* name;
        const char* withoutPrefix;
        const char* folder;
    } const cases[] = {
        {"C:\\dir\\x.dll", "C:\\dir\\x.dll", "C:\\dir"},
        {"\\??\\C:\\dir\\x.dll", "C:\\dir\\x.dll", "C:\\dir"},
        {"\\\\?\\D:\\a\\b\\y.exe", "D:\\a\\b\\y.exe", "D:\\a\\b"},
        {"C:\\x.dll", "C:\\x.dll", "C:\\"},
        {"x.dll", "x.dll", ""},
        {"\\??\\nocolon\\x.dll", "\\??\\nocolon\\x.dll", "\\??\\nocolon"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithoutDevicePrefix(c.name), c.withoutPrefix) << c.name;
        EXPECT_EQ(FolderOfFile(c.withoutPrefix), c.folder) << c.name;
    }
}

TEST(ModuleFacts, VersionText) {
    EXPECT_EQ(FileVersionText(0x00010002, 0x00030004), "1.2.3.4");
    EXPECT_EQ(FileVersionText(0xFFFF0000, 0x0000FFFF), "65535.0.0.65535");
    EXPECT_EQ(FileVersionText(0, 0), "") << "0.0.0.0 is no version";
    EXPECT_EQ(FileVersionText(0, 1), "0.0.0.1");
}

TEST(ModuleFacts, RoutineSizeEstimate) {
    struct {
        const char* what;
        std::vector<uint8_t> code;
        uint32_t size;
    } const cases[] = {
        {"framed: pop ebp; ret", {0x55, 0x89, 0xE5, 0xB8, 0xC3, 0xC3, 0, 0, 0x5D, 0xC3}, 9},
        {"framed: leave; ret 8", {0x55, 0x89, 0xE5, 0xC9, 0xC2, 0x08, 0x00}, 4},
        {"framed: pop ebp not followed by a return", {0x55, 0x5D, 0x90, 0xC9, 0xCB}, 4},
        {"framed without its end in range", {0x55, 0x89, 0xE5, 0xC3, 0x5D}, 1},
        {"plain: first return", {0x31, 0xC0, 0xCA, 0x04, 0x00, 0xC3}, 2},
        {"plain: return first", {0xC3}, 0},
        {"plain without a return", {0x90, 0x90, 0x90}, 1},
        {"nothing in range", {}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EstimateRoutineSize(c.code.data(), c.code.size()), c.size) << c.what;
}
