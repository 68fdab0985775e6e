// The live library's side of the options: publication through shared memory, the
// freeze watchdog's switch, CurrentVantorLogOptions and writable places.
#include "SysUtils.h"
#include "VantorLogOptionsEx.h"
#include "WinHandles.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <vector>

namespace {

std::string ThisModuleFile() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(LibraryModule(), path, MAX_PATH);
    return path;
}

class TCountingOptions : public TVantorModuleOptionsEx {
public:
    using TVantorModuleOptionsEx::TVantorModuleOptionsEx;
    int publications = 0;
    void PublishChanges() override {
        ++publications;
        TVantorModuleOptionsEx::PublishChanges();
    }
};

// The published block as another module reads it: size, then the data.
std::vector<uint8_t> ReadBlock() {
    std::string name = PublicationBlockName(
        GetCurrentProcessId(), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(LibraryModule())));
    TKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()));
    if (!mapping)
        return {};
    TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    uint32_t size = 0;
    std::memcpy(&size, view.Get(), 4);
    const auto* data = static_cast<const uint8_t*>(view.Get()) + 4;
    return std::vector<uint8_t>(data, data + size);
}

std::vector<bool> watchdogSwitches;
void RecordSwitch(bool run) {
    watchdogSwitches.push_back(run);
}

std::string TempFolder() {
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    return path;
}

} // namespace

TEST(Publication, BracketedChangesPublishOnceAndOnlyForTheLibrarysModule) {
    TCountingOptions own(ThisModuleFile(), true);
    own.publications = 0;
    own.BeginUpdate();
    own.SetMailServer("smtp.example.org");
    own.SetMailPort(2525);
    own.SetLogCapacity(7);
    EXPECT_EQ(own.publications, 0);
    own.EndUpdate();
    own.Changed();
    EXPECT_EQ(own.publications, 1);

    own.publications = 0;
    own.BeginUpdate();
    own.ResetToDefaults();
    own.EndUpdate();
    own.Changed();
    EXPECT_EQ(own.publications, 1) << "a bracketed reset publishes once";

    own.publications = 0;
    own.SetMailSubject("unbracketed");
    EXPECT_EQ(own.publications, 1);

    TCountingOptions other("C:\\windows\\system32\\kernel32.dll", true);
    other.publications = 0;
    other.SetMailSubject("x");
    EXPECT_EQ(other.publications, 0) << "another module's options are not published";
    TCountingOptions quiet(ThisModuleFile(), false);
    quiet.publications = 0;
    quiet.SetMailSubject("x");
    EXPECT_EQ(quiet.publications, 0);
    ReleasePublication();
}

TEST(Publication, AnotherModuleReadsThePublishedBlock) {
    ASSERT_TRUE(CreateEmptyPublication());
    std::vector<uint8_t> empty = ReadBlock();
    ASSERT_EQ(empty, std::vector<uint8_t>{0}) << "nothing published yet";
    TVantorModuleOptions reader("", false);
    EXPECT_FALSE(LoadPublishedOptions(LibraryModule(), reader));

    TVantorModuleOptionsEx own(ThisModuleFile(), true);
    own.SetMailRecipients("support@example.org");
    std::vector<uint8_t> block = ReadBlock();
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(block[0], 1);
    TMemoryStream expected;
    own.SaveToStream(expected);
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 1, block.end()), expected.Bytes());

    ASSERT_TRUE(LoadPublishedOptions(LibraryModule(), reader));
    EXPECT_EQ(reader.MailRecipients(), "support@example.org");
    ReleasePublication();
    EXPECT_TRUE(ReadBlock().empty()) << "released";
    EXPECT_FALSE(LoadPublishedOptions(LibraryModule(), reader));
}

TEST(Publication, FreezeWatchdogRunsWhileEnabledAndFreezeCheckForTheOwnOptionsOnly) {
    SetFreezeWatchdogSwitch(RecordSwitch);
    watchdogSwitches.clear();
    TVantorModuleOptionsEx own(ThisModuleFile(), false);
    own.SetFreezeCheck(true);
    own.SetFreezeCheck(true); // the same value: nothing
    own.SetEnabled(false);
    own.SetEnabled(true);
    own.SetFreezeCheck(false);
    EXPECT_EQ(watchdogSwitches, (std::vector<bool>{true, false, true, false}));
    EXPECT_FALSE(own.FreezeCheck());

    watchdogSwitches.clear();
    TVantorModuleOptionsEx other("C:\\windows\\system32\\kernel32.dll", false);
    other.SetFreezeCheck(true);
    EXPECT_TRUE(other.FreezeCheck());
    EXPECT_TRUE(watchdogSwitches.empty());
    SetFreezeWatchdogSwitch(nullptr);
}

TEST(CurrentOptions, FailsUntilTheLibraryIsActiveWithARecord) {
    static TVantorModuleOptionsEx own(ThisModuleFile(), false);
    struct Case {
        bool active;
        TVantorModuleOptions* (*record)();
        int line;
    };
    const Case cases[] = {
        {false, nullptr, 10570},
        {true, nullptr, 10572},
        {true, [] { return static_cast<TVantorModuleOptions*>(nullptr); }, 10572},
    };
    for (const Case& c : cases) {
        SetVantorLogActivation(c.active, c.record);
        try {
            CurrentVantorLogOptions();
            ADD_FAILURE();
        } catch (const EAssertionFailed& e) {
            EXPECT_EQ(e.Line(), c.line);
            EXPECT_EQ(e.Unit(), "ExceptionLog");
            EXPECT_EQ(
                e.Message(),
                "\r\nCannot use 'CurrentVantorLogOptions' function without activate VantorLog.\r\n"
                "To activate VantorLog use the new IDE \"Project/VantorLog Options...\" menu. "
                "(ExceptionLog, line " +
                    std::to_string(c.line) + ")");
        }
    }
    SetVantorLogActivation(true, [] { return static_cast<TVantorModuleOptions*>(&own); });
    EXPECT_EQ(&CurrentVantorLogOptions(), &own);
    SetVantorLogActivation(false, nullptr);
}

TEST(WritableLocation, KeepsAWritableNameAndOtherwiseMovesToTheProfile) {
    std::string here = TempFolder() + "vantorlog-writable-test.elf";
    DeleteFileA(here.c_str());
    std::string result;
    ASSERT_TRUE(WritableLocation(here, false, result));
    EXPECT_EQ(result, here);
    EXPECT_EQ(GetFileAttributesA(here.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the probe leaves nothing";

    char profile[MAX_PATH] = {};
    GetEnvironmentVariableA("UserProfile", profile, MAX_PATH);
    const std::string nowhere = "Q:\\no\\such\\folder\\app.elf";
    ASSERT_TRUE(WritableLocation(nowhere, false, result));
    EXPECT_EQ(result, std::string(profile) + "\\VantorLog\\app.elf");
    ASSERT_TRUE(WritableLocation(nowhere, true, result));
    EXPECT_EQ(result, std::string(profile) + "\\VantorLog\\tests_win32_options\\app.elf");
}

TEST(LogFile, UsesThisComputersName) {
    TVantorModuleOptions o("C:\\App\\prog.exe", false);
    o.SetLogFlags(o.LogFlags() | lfComputerNameInLogName);
    char computer[16] = {};
    DWORD size = sizeof computer;
    ASSERT_TRUE(GetComputerNameA(computer, &size));
    EXPECT_EQ(o.LogFileName(""), std::string("C:\\App\\prog_") + computer + ".elf");
}
