#include "DialogBoxes.h"
#include "InternalErrorLog.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

void Fails() {
    throw EReadError("disk gone");
}
void Aborts() {
    Abort();
}

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::string& name) {
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Opens or closes the gate for one test.
struct TGate {
    explicit TGate(bool open) {
        SetDesignTimeMode(open);
        SetInternalErrorProc(InternalError);
        DeleteFileA(InternalErrorFileName().c_str());
    }
    ~TGate() {
        SetDesignTimeMode(false);
        SetInternalErrorProc(nullptr);
        SetExceptionAddressProvider(nullptr);
        SetLastReportedExceptionClass("");
        DeleteFileA(InternalErrorFileName().c_str());
    }
};

uintptr_t codeAddress = 0;

} // namespace

TEST(InternalError, OnAnEndUsersMachineTheSectionEndsSilently) {
    ASSERT_FALSE(IsDebuggerAttached());
    TGate gate(false);
    TDebugOutputCapture debug;
    TBoxAnswerer boxes(IDNO);
    EXPECT_THROW(RunSection(Fails, "ExceptionLog.Init"), EAbort);
    Sleep(200);
    EXPECT_FALSE(FileExists(InternalErrorFileName()));
    EXPECT_TRUE(debug.lines().empty());
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST(InternalError, WithTheGateOpenItWritesTheLineTheFileAndAsks) {
    TGate gate(true);
    SetLastReportedExceptionClass("EAccessViolation");
    codeAddress = reinterpret_cast<uintptr_t>(&Fails);
    SetExceptionAddressProvider([] { return codeAddress; });
    TDebugOutputCapture debug;
    TBoxAnswerer boxes(IDNO);
    EXPECT_THROW(RunSection(Fails, "ExceptionLog.Init"), EAbort);

    char address[16];
    std::snprintf(address, sizeof address, "%08X", static_cast<unsigned>(codeAddress));
    ASSERT_EQ(debug.lines().size(), 1u);
    EXPECT_EQ(debug.lines()[0], std::string("[ERROR] - Section: ExceptionLog.Init - Address: ") +
                                    address + " - Message: \"disk gone\"");

    std::string block = ReadFile(InternalErrorFileName());
    std::string dump;
    for (int i = 0; i < 32; ++i) {
        char b[8];
        std::snprintf(b, sizeof b, "$%02X ", reinterpret_cast<const uint8_t*>(codeAddress)[i]);
        dump += b;
    }
    std::vector<std::string> lines;
    std::stringstream in(block);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 10u) << block;
    EXPECT_EQ(lines[0], "Version   : 5.0.5\r");
    EXPECT_EQ(lines[1].substr(0, 12), "Date      : ");
    EXPECT_EQ(lines[1].size(), 12u + 31 + 1) << "a date like Sun, 6 Dec 2026 14:05:09 +0100";
    EXPECT_EQ(lines[2].substr(0, 30), "OS        : Microsoft Windows ");
    EXPECT_EQ(lines[3], std::string("RAD       : ") + kVantorLogRadText + "\r");
    EXPECT_EQ(lines[4], "Dump      : " + dump + "\r");
    EXPECT_EQ(lines[5], "Section   : ExceptionLog.Init\r");
    EXPECT_EQ(lines[6], "LastExcept: EAccessViolation\r");
    EXPECT_EQ(lines[7], std::string("Address   : $") + address + "\r");
    EXPECT_EQ(lines[8], "Exception : EReadError\r");
    EXPECT_EQ(lines[9], "Message   : disk gone");

    auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Caption, "Probably internal bug");
    EXPECT_EQ(seen[0].Text, "Error: 'disk gone'\r\n\r\nThis is an internal VantorLog bug.\r\n"
                            "Do you want to send the bug information to VantorLog author?");
}

TEST(InternalError, AnsweringYesWithoutAMailClientShowsTheManualWay) {
    TGate gate(true);
    TBoxAnswerer boxes(IDYES);
    EXPECT_THROW(RunSection(Fails, "Send.Init"), EAbort);
    auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].Caption, "Information");
    EXPECT_EQ(
        seen[1].Text,
        "Cannot connect with your email client.\r\nSend manually the \"" + InternalErrorFileName() +
            "\" file to the bugs@vantorlog.example.org email address, after click on OK button "
            "to close this box.");
}

TEST(InternalError, AbortAndUnreadableAddressesAndNonExceptions) {
    TGate gate(true);
    TDebugOutputCapture debug;
    TBoxAnswerer boxes(IDNO);
    EXPECT_THROW(RunSection(Aborts, "Quiet.Init"), EAbort);
    EXPECT_TRUE(debug.lines().empty()) << "EAbort is never an internal error";
    EXPECT_FALSE(FileExists(InternalErrorFileName()));

    SetExceptionAddressProvider([] { return static_cast<uintptr_t>(16); });
    EXPECT_THROW(RunSection([] { throw 7; }, "Odd.Init"), EAbort);
    ASSERT_EQ(debug.lines().size(), 1u);
    EXPECT_EQ(
        debug.lines()[0],
        "[ERROR] - Section: Odd.Init - Address: 00000010 - Message: \"General internal error.\"");
    std::string block = ReadFile(InternalErrorFileName());
    EXPECT_NE(block.find("Dump      : \r\n"), std::string::npos) << "nothing readable at 16";
    EXPECT_NE(block.find("Exception : \r\n"), std::string::npos) << "not an exception: no class";
}

TEST(Warnings, AreRememberedWrittenAndShownOnlyForDeliveryWhileSending) {
    TDebugOutputCapture debug;
    TBoxAnswerer boxes(IDOK);
    Warning(TVantorLogErrorCode::eeLogError, "cannot write the log");
    EXPECT_EQ(LastWarningCode(), TVantorLogErrorCode::eeLogError);
    EXPECT_EQ(LastWarningMessage(), "cannot write the log");
    ASSERT_EQ(debug.lines().size(), 1u);
    EXPECT_EQ(
        debug.lines()[0],
        "[WARNING] - Code: eeLogError - Address: 00000000 - Message: \"cannot write the log\"");

    SetSendDialogOpen(true);
    Warning(TVantorLogErrorCode::eeLogError, "still no log");
    Warning(TVantorLogErrorCode::eeEmailSMTPError, "SMTP server refused");
    SetSendDialogOpen(false);
    Warning(TVantorLogErrorCode::eeWebFTPError, "not while the dialog is closed");
    auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Caption, "Error.");
    EXPECT_EQ(seen[0].Text, "SMTP server refused");

    try {
        throw EReadError("no route");
    } catch (...) {
        WarningFromException(TVantorLogErrorCode::eeWebHTTPError, "HTTP");
    }
    EXPECT_EQ(LastWarningMessage(), "[HTTP] no route");
    try {
        throw 3;
    } catch (...) {
        WarningFromException(TVantorLogErrorCode::eeWebHTTPError, "HTTP");
    }
    EXPECT_EQ(LastWarningMessage(), "General 'HTTP' error.");
    ClearWarning();
    EXPECT_EQ(LastWarningCode(), TVantorLogErrorCode::eeNone);
    EXPECT_EQ(LastWarningMessage(), "");
}
