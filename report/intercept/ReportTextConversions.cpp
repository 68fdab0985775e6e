#include "ReportTextConversions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

std::string Document(const std::vector<std::string>& lines, const TRtfFrame& f) {
    std::string doc =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset" +
        std::to_string(f.Charset) + " " + f.FontName + ";}}\r\n" +
        "{\\colortbl ;\\red0\\green100\\blue100;\\red0\\green0\\blue0;\\red40\\green40\\blue40;"
        "\\red0\\green0\\blue160;}\r\n";
    doc += "\\f0\\fs" + std::to_string(f.FontSize * 2) + "\r\n";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            doc += "\r\n";
        doc += lines[i];
    }
    return doc + "}";
}

// Insert and Delete at 1-based positions, clamped like the runtime's string routines.
void Insert(std::string& line, const std::string& what, size_t position) {
    if (position < 1)
        position = 1;
    line.insert(std::min(position - 1, line.size()), what);
}

void Delete(std::string& line, size_t position, size_t count) {
    if (position < 1 || position > line.size())
        return;
    line.erase(position - 1, count);
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos)
        return "";
    size_t b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
}

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

std::string RtfEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\')
            out += "\\\\";
        else if (c == '{')
            out += "\\{";
        else if (c == '}')
            out += "\\}";
        else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\\par\r\n";
            ++i;
        } else
            out += c;
    }
    return out;
}

std::string GeneralSectionToRtf(const std::string& text, const TRtfFrame& frame) {
    std::vector<std::string> lines = SplitLines(RtfEscape(text));
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string& line = lines[i];
        if (i == 0) {
            line = "\\cf1\\b " + line + "\\b0";
            continue;
        }
        size_t colon = line.find(':');
        size_t nameEnd = line.find(": ");
        if (colon != std::string::npos && line.size() == colon + 1 + 4)
            line = "\\cf3\\b " + line + "\\b0";
        else if (!line.empty() && line[0] == '-')
            line = "\\cf3 " + line;
        else if (nameEnd != std::string::npos)
            line = "\\cf2 " + line.substr(0, nameEnd + 1) + "\\cf4 " + line.substr(nameEnd + 1);
    }
    return Document(lines, frame);
}

std::string CallStackToRtf(const std::string& text, const TRtfFrame& frame) {
    std::vector<std::string> lines = SplitLines(RtfEscape(text));
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string& line = lines[i];
        const size_t n = i + 1;
        if (n == 1) {
            line = "\\cf3\\b " + line + "\\cf2\\b0";
        } else if (n == 2) {
            line = "\\cf3 " + line + "\\cf2";
        } else if (n >= 3 && n <= 6) {
            Insert(line, "\\cf4 ", 6);
            Insert(line, "\\cf2 ", 19);
            Insert(line, "\\cf4 ", 32);
            Insert(line, "\\cf2 ", 45);
        } else if (n == 8) {
            std::string first = Trim(line.substr(0, std::min<size_t>(21, line.size())));
            std::string rest = line.size() > 21 ? Trim(line.substr(21)) : std::string();
            line = "\\pard\\tx" + std::to_string(frame.DashWidth * 15) + "\\cf3\\b " + first +
                   "\\tab " + rest + "\\cf2\\b0";
        } else if (n == 9) {
            Delete(line, 19, 3);
            Insert(line, "\\tab ", 19);
            line = "\\cf3 " + line + "\\cf2";
        } else if (n >= 10) {
            Insert(line, "\\cf4 ", 11);
            Insert(line, "\\cf2 ", 24);
            Delete(line, 29, 3);
            Insert(line, "\\tab ", 29);
            Insert(line, "\\cf4 ", 44);
            Insert(line, "\\cf2 ", 96);
        }
    }
    return Document(lines, frame);
}

std::string DateText(const TDateParts& d, int offsetMinutes) {
    long hours = std::lround(offsetMinutes / 60.0);
    char zone[32];
    std::snprintf(zone, sizeof zone, "%c%02ld00", hours < 0 ? '-' : '+', std::labs(hours));
    char text[128];
    std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d %s",
                  kDays[(d.DayOfWeek % 7 + 7) % 7], d.Day, kMonths[(d.Month + 11) % 12], d.Year,
                  d.Hour, d.Minute, d.Second, zone);
    return text;
}

std::string OperatingSystemName(TPlatform platform, unsigned major, unsigned minor,
                                const std::string& servicePack) {
    std::string name = "Microsoft Windows ";
    std::string sp = Trim(servicePack);
    if (platform == TPlatform::Windows9x) {
        if (minor < 10)
            name += sp == "B" ? "95 OSR 2" : "95";
        else if (minor <= 89)
            name += sp == "A" ? "98 SE" : "98";
        else if (minor == 90)
            name += "ME";
    } else if (platform == TPlatform::WindowsNT) {
        if (major == 4)
            name += "NT 4.0";
        else if (major == 5 && minor == 0)
            name += "2000";
        else if (major == 5 && minor == 1)
            name += "XP";
        else if (major == 5 && minor == 2)
            name += "2003";
    }
    return name;
}
