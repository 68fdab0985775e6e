#include "ReportTextConversions.h"
#include "SectionRunner.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

namespace {

TRtfFrame Frame() {
    TRtfFrame f;
    f.Charset = 0;
    f.FontName = "Courier New";
    f.FontSize = 8;
    f.DashWidth = 147;
    return f;
}

const char kHeader[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040{\\fonttbl{"
                       "\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}}\r\n"
                       "{\\colortbl "
                       ";\\red0\\green100\\blue100;\\red0\\green0\\blue0;\\red40\\green40\\blue40;"
                       "\\red0\\green0\\blue160;}\r\n"
                       "\\f0\\fs16\r\n";

// The converted lines of a document, without its frame.
std::string Body(const std::string& doc) {
    EXPECT_EQ(doc.substr(0, sizeof kHeader - 1), kHeader);
    EXPECT_EQ(doc.back(), '}');
    return doc.substr(sizeof kHeader - 1, doc.size() - sizeof kHeader);
}

} // namespace

TEST(Rtf, EscapeShowsBracesAndBackslashesLiterally) {
    EXPECT_EQ(RtfEscape("a{b}\\c\r\nd"), "a\\{b\\}\\\\c\\par\r\nd");
    EXPECT_EQ(RtfEscape("\\par"), "\\\\par") << "a backslash is escaped before it can start a word";
    EXPECT_EQ(RtfEscape("lone\rcr\nlf"), "lone\rcr\nlf");
}

TEST(Rtf, GeneralSectionColoursByLineKind) {
    struct Case {
        const char* line;
        const char* converted;
    };
    const Case cases[] = {
        {"Application:", "\\cf3\\b Application:\\par\\b0"}, // a sub-heading: name and colon only
        {"--------------", "\\cf3 --------------\\par"},
        {"Name: Lumaro.exe", "\\cf2 Name:\\cf4  Lumaro.exe\\par"},
        {"Path: C:\\x {y}", "\\cf2 Path:\\cf4  C:\\\\x \\{y\\}\\par"},
        {"no colon here", "no colon here\\par"},
        {"Time:12:00", "Time:12:00\\par"}, // no ": "
    };
    for (const Case& c : cases) {
        std::string doc = GeneralSectionToRtf(
            std::string("General Information\r\n") + c.line + "\r\nlast", Frame());
        EXPECT_EQ(Body(doc), std::string("\\cf1\\b General Information\\par\\b0\r\n") +
                                 c.converted + "\r\nlast")
            << c.line;
    }
}

TEST(Rtf, CallStackLinesGetTheirColoursAndTabs) {
    // Ten equal lines whose characters show their positions: a..z are 1..26.
    const std::string L = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string table;
    for (int i = 0; i < 10; ++i)
        table += (i ? "\r\n" : "") + L;
    std::string body = Body(CallStackToRtf(table, Frame()));
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = body.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(body.substr(start, end - start));
    lines.push_back(body.substr(start));
    ASSERT_EQ(lines.size(), 10u);
    const std::string P = "\\par";
    EXPECT_EQ(lines[0], "\\cf3\\b " + L + P + "\\cf2\\b0");
    EXPECT_EQ(lines[1], "\\cf3 " + L + P + "\\cf2");
    for (int i = 2; i <= 5; ++i)
        EXPECT_EQ(lines[static_cast<size_t>(i)], "abcde\\cf4 fghijklm\\cf2 nopqrstu\\cf4 "
                                                 "vwxyz012\\cf2 3456789ABCDEFGHIJKLMNOPQRSTUVWXYZ" +
                                                     P)
            << "line " << i + 1;
    EXPECT_EQ(lines[6], L + P) << "line 7 stays";
    // 21 dashes 147 pixels wide: a tab stop at 147 * 15 twips.
    EXPECT_EQ(lines[7], "\\pard\\tx2205\\cf3\\b abcdefghijklmnopqrstu\\tab "
                        "vwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ" +
                            P + "\\cf2\\b0");
    EXPECT_EQ(lines[8], "\\cf3 abcdefghijklmnopqr\\tab vwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ" +
                            P + "\\cf2");
    // The last line has no line break; the insertion at 96 lies past its end.
    EXPECT_EQ(lines[9], "abcdefghij\\cf4 klmnopqr\\cf2 \\tab vwxyz01234\\cf4 "
                        "56789ABCDEFGHIJKLMNOPQRSTUVWXYZ\\cf2 ");
}

TEST(Dates, MailHeaderFormatWithTheZoneInWholeHours) {
    const TDateParts sunday{2026, 12, 6, 0, 14, 5, 9};
    struct Case {
        int offsetMinutes;
        const char* text;
    };
    const Case cases[] = {
        {60, "Sun, 6 Dec 2026 14:05:09 +0100"},   {0, "Sun, 6 Dec 2026 14:05:09 +0000"},
        {-300, "Sun, 6 Dec 2026 14:05:09 -0500"}, {600, "Sun, 6 Dec 2026 14:05:09 +1000"},
        {345, "Sun, 6 Dec 2026 14:05:09 +0600"},  // +5:45 rounds to 6
        {-210, "Sun, 6 Dec 2026 14:05:09 -0400"}, // -3:30 rounds away from zero
        {20, "Sun, 6 Dec 2026 14:05:09 +0000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DateText(sunday, c.offsetMinutes), c.text) << c.offsetMinutes;
    EXPECT_EQ(DateText({2027, 1, 31, 6, 0, 0, 0}, 0), "Sat, 31 Jan 2027 00:00:00 +0000");
}

TEST(OperatingSystem, NamesByPlatformAndVersion) {
    struct Case {
        TPlatform platform;
        unsigned major, minor;
        const char* sp;
        const char* name;
    };
    const Case cases[] = {
        {TPlatform::Windows9x, 4, 0, " B ", "Microsoft Windows 95 OSR 2"},
        {TPlatform::Windows9x, 4, 0, "", "Microsoft Windows 95"},
        {TPlatform::Windows9x, 4, 10, "A", "Microsoft Windows 98 SE"},
        {TPlatform::Windows9x, 4, 10, "", "Microsoft Windows 98"},
        {TPlatform::Windows9x, 4, 89, "", "Microsoft Windows 98"},
        {TPlatform::Windows9x, 4, 90, "", "Microsoft Windows ME"},
        {TPlatform::Windows9x, 4, 95, "", "Microsoft Windows "},
        {TPlatform::WindowsNT, 4, 0, "Service Pack 6", "Microsoft Windows NT 4.0"},
        {TPlatform::WindowsNT, 5, 0, "", "Microsoft Windows 2000"},
        {TPlatform::WindowsNT, 5, 1, "Service Pack 3", "Microsoft Windows XP"},
        {TPlatform::WindowsNT, 5, 2, "", "Microsoft Windows 2003"},
        {TPlatform::WindowsNT, 6, 1, "Service Pack 1", "Microsoft Windows "},
        {TPlatform::WindowsNT, 10, 0, "", "Microsoft Windows "},
        {TPlatform::Other, 5, 1, "", "Microsoft Windows "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OperatingSystemName(c.platform, c.major, c.minor, c.sp), c.name);
}

namespace {
std::string seenSection;
void Fails() {
    throw EReadError("disk gone");
}
void FailsOddly() {
    throw 42;
}
void Works() {}
void RecordSection(const std::string& section) {
    seenSection = section;
    std::string message;
    EXPECT_TRUE(CurrentExceptionMessage(message)) << "the failing exception is current";
    EXPECT_EQ(message, "disk gone");
}
} // namespace

TEST(SectionRunner, WithoutAnErrorProcedureTheFailureBecomesAnException) {
    SetInternalErrorProc(nullptr);
    RunSection(Works, "X.Init");
    try {
        RunSection(Fails, "ExceptionLog.Init");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Critical error at: \"ExceptionLog.Init\"\r\nError: \"disk gone\".");
    }
    try {
        RunSection(FailsOddly, "ExceptionLog.Done");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "General internal error.");
    }
}

TEST(SectionRunner, AnInstalledErrorProcedureSeesTheSectionAndTheStepEndsSilently) {
    SetInternalErrorProc(RecordSection);
    seenSection.clear();
    EXPECT_THROW(RunSection(Fails, "HookEngine.Init"), EAbort);
    EXPECT_EQ(seenSection, "HookEngine.Init");
    SetInternalErrorProc(nullptr);
}

TEST(SectionRunner, AbortIsRecognisedByClassNameThroughItsAncestors) {
    class EQuiet : public EAbort {};
    struct Case {
        void (*raise)();
        bool abort;
    };
    const Case cases[] = {
        {[] { throw EAbort(); }, true},
        {[] { throw EQuiet(); }, true},
        {[] { throw Exception("x"); }, false},
        {[] { throw 1; }, false},
    };
    for (const Case& c : cases) {
        try {
            c.raise();
        } catch (...) {
            EXPECT_EQ(CurrentExceptionIsAbort(), c.abort);
        }
    }
    EXPECT_STREQ(ErrorCodeName(TVantorLogErrorCode::eeLogError), "eeLogError");
    EXPECT_STREQ(ErrorCodeName(TVantorLogErrorCode::eeWebFTPError), "eeWebFTPError");
}
