// Text services of the report: rich text for the exception dialog's pages,
// mail-header dates and operating-system names. Portable; ReportTextWin supplies
// what only the system knows (character set, font metrics, clock, version).
#pragma once

#include <string>

// "\" "{" "}" escaped, CR LF as "\par" CR LF.
std::string RtfEscape(const std::string& text);

// What the document frame needs: the character set, the dialog font and its
// size in points, and for call stacks the width of 21 dashes in pixels.
struct TRtfFrame {
    int Charset = 0;
    std::string FontName = "Courier New";
    int FontSize = 8;
    int DashWidth = 0;
};

// A key-value report section as a rich-text document: the title in colour 1 bold,
// sub-headings ("Name:") in colour 3 bold, "-" lines in colour 3, names in colour 2
// and values in colour 4.
std::string GeneralSectionToRtf(const std::string& text, const TRtfFrame& frame);
// The call-stack table of the report as a rich-text document.
std::string CallStackToRtf(const std::string& text, const TRtfFrame& frame);

struct TDateParts {
    int Year, Month, Day; // Month 1..12
    int DayOfWeek;        // 0 Sunday .. 6 Saturday
    int Hour, Minute, Second;
};
// "Sun, 6 Dec 2026 14:05:09 +0100": English names; the zone is local minus
// universal time in whole hours, rounded half away from zero.
std::string DateText(const TDateParts& local, int offsetMinutes);

enum class TPlatform { Windows9x, WindowsNT, Other };
// "Microsoft Windows " and the name of the version, or nothing for an unknown one.
std::string OperatingSystemName(TPlatform platform, unsigned major, unsigned minor,
                                const std::string& servicePack);
