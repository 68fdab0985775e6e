#include "OptionsFile.h"

#include "SysUtils.h"

#include <cctype>
#include <functional>
#include <map>
#include <sstream>

namespace {

[[noreturn]] void Fail(int line, const std::string& what) {
    throw EReadError("line " + std::to_string(line) + ": " + what);
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A value as written: quoted with escapes, or the bare text.
std::string StringValue(const std::string& raw, int line) {
    if (raw.empty() || raw[0] != '"')
        return raw;
    std::string out;
    size_t i = 1;
    for (;;) {
        if (i >= raw.size())
            Fail(line, "the quoted text is not closed");
        char c = raw[i++];
        if (c == '"')
            break;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= raw.size())
            Fail(line, "a backslash ends the text");
        char e = raw[i++];
        switch (e) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case '"':
            out += '"';
            break;
        case 'x': {
            int hi = i < raw.size() ? HexDigit(raw[i]) : -1;
            int lo = i + 1 < raw.size() ? HexDigit(raw[i + 1]) : -1;
            if (hi < 0 || lo < 0)
                Fail(line, "\\x needs two hexadecimal digits");
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            Fail(line, std::string("unknown escape \\") + e);
        }
    }
    if (!Trim(raw.substr(i)).empty())
        Fail(line, "text after the closing quote");
    return out;
}

uint64_t NumberValue(const std::string& raw, uint64_t max, int line) {
    if (raw == "True")
        return 1;
    if (raw == "False")
        return 0;
    bool hex = raw.size() > 2 && raw[0] == '0' && (raw[1] == 'x' || raw[1] == 'X');
    size_t i = hex ? 2 : 0;
    if (i >= raw.size())
        Fail(line, "a number is expected");
    uint64_t value = 0;
    for (; i < raw.size(); ++i) {
        int d = hex ? HexDigit(raw[i])
                    : (std::isdigit(static_cast<unsigned char>(raw[i])) ? raw[i] - '0' : -1);
        if (d < 0)
            Fail(line, "\"" + raw + "\" is not a number");
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
        if (value > max)
            Fail(line, raw + " is too large (at most " + std::to_string(max) + ")");
    }
    return value;
}

using TSetter = std::function<void(TVantorModuleOptions&, const std::string& raw, int line)>;

template <class T> TSetter Number(void (TVantorModuleOptions::*set)(T), uint64_t max) {
    return [set, max](TVantorModuleOptions& o, const std::string& raw, int line) {
        (o.*set)(static_cast<T>(NumberValue(raw, max, line)));
    };
}

TSetter Flag(void (TVantorModuleOptions::*set)(bool)) {
    return Number(set, 1);
}

template <class E> TSetter Enum(void (TVantorModuleOptions::*set)(E), uint64_t max) {
    return [set, max](TVantorModuleOptions& o, const std::string& raw, int line) {
        (o.*set)(static_cast<E>(NumberValue(raw, max, line)));
    };
}

TSetter Text(void (TVantorModuleOptions::*set)(const std::string&)) {
    return [set](TVantorModuleOptions& o, const std::string& raw, int line) {
        (o.*set)(StringValue(raw, line));
    };
}

const std::map<std::string, TSetter>& Setters() {
    using O = TVantorModuleOptions;
    static const std::map<std::string, TSetter> setters = {
        {"MailSender", Text(&O::SetMailSender)},
        {"MailServer", Text(&O::SetMailServer)},
        {"MailLogin", Text(&O::SetMailLogin)},
        {"MailPassword", Text(&O::SetMailPassword)},
        {"MailPort", Number(&O::SetMailPort, INT16_MAX)},
        {"CloseAction", Enum(&O::SetCloseAction, 1)},
        {"FreezeCheck", Flag(&O::SetFreezeCheck)},
        {"FreezeSeconds", Number(&O::SetFreezeSeconds, INT32_MAX)},
        {"FreezeText", Text(&O::SetFreezeText)},
        {"LogActive", Flag(&O::SetLogActive)},
        {"FiltersActive", Flag(&O::SetFiltersActive)},
        {"LogInMailBody", Flag(&O::SetLogInMailBody)},
        {"CloseButtonVisible", Flag(&O::SetCloseButtonVisible)},
        {"SaveLog", Flag(&O::SetSaveLog)},
        {"LogFlags", Number(&O::SetLogFlags, 0x3F)},
        {"SendFlags", Number(&O::SetSendFlags, 0x3FF)},
        {"StartTab", Number(&O::SetStartTab, 4)},
        {"LogCapacity", Number(&O::SetLogCapacity, INT32_MAX)},
        {"CloseButtonAfter", Number(&O::SetCloseButtonAfter, INT32_MAX)},
        {"LogFolder", Text(&O::SetLogFolder)},
        {"MailRecipients", Text(&O::SetMailRecipients)},
        {"MailSubject", Text(&O::SetMailSubject)},
        {"MailBody", Text(&O::SetMailBody)},
        {"MailMethod", Enum(&O::SetMailMethod, 3)},
        {"WebMethod", Enum(&O::SetWebMethod, 3)},
        {"ExtraFiles", Text(&O::SetExtraFiles)},
        {"DialogFlags", Number(&O::SetDialogFlags, 0xFF)},
        {"DialogCloseSeconds", Number(&O::SetDialogCloseSeconds, INT32_MAX)},
        {"SupportAddress", Text(&O::SetSupportAddress)},
        {"HtmlTemplate", Text(&O::SetHtmlTemplate)},
        {"RepeatAction", Enum(&O::SetRepeatAction, 1)},
        {"RepeatLimit", Number(&O::SetRepeatLimit, INT32_MAX)},
        {"RepeatMinutes", Number(&O::SetRepeatMinutes, INT32_MAX)},
        {"StackFlags", Number(&O::SetStackFlags, 0x1F)},
        {"BehaviourFlags", Number(&O::SetBehaviourFlags, 0x7F)},
        {"WebAddress", Text(&O::SetWebAddress)},
        {"WebServerPort", Number(&O::SetWebServerPort, UINT32_MAX)},
        {"WebServerPassword", Text(&O::SetWebServerPassword)},
        {"WebServerLogin", Text(&O::SetWebServerLogin)},
        {"Enabled", Flag(&O::SetEnabled)},
        {"ReportItems",
         [](O& o, const std::string& raw, int line) {
             uint64_t bits = NumberValue(raw, 0xFFFFFFFFFFull, line);
             TReportItems items;
             for (int b = 0; b < 5; ++b)
                 items.Bytes[static_cast<size_t>(b)] = static_cast<uint8_t>(bits >> (8 * b));
             o.SetReportItems(items);
         }},
    };
    return setters;
}

} // namespace

void ReadOptionsFile(const std::string& text, TVantorModuleOptions& options) {
    std::istringstream in(text);
    std::string line;
    std::string section;
    int lineNo = 0;
    bool filtersSeen = false;
    options.BeginUpdate();
    struct Bracket {
        TVantorModuleOptions& o;
        ~Bracket() {
            o.EndUpdate();
            o.Changed();
        }
    } bracket{options};
    while (std::getline(in, line)) {
        ++lineNo;
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';')
            continue;
        if (t[0] == '[') {
            if (t.back() != ']')
                Fail(lineNo, "a section name ends with ]");
            section = t.substr(1, t.size() - 2);
            if (section != "Options" && section != "Texts" && section != "Filters")
                Fail(lineNo, "unknown section [" + section + "]");
            if (section == "Filters" && !filtersSeen) {
                options.FilterClasses().Clear();
                options.FilterTexts().Clear();
                filtersSeen = true;
            }
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos)
            Fail(lineNo, "\"name = value\" is expected");
        std::string key = Trim(t.substr(0, eq));
        std::string raw = Trim(t.substr(eq + 1));
        if (section.empty())
            Fail(lineNo, "an entry before the first section");
        if (section == "Options") {
            auto it = Setters().find(key);
            if (it == Setters().end())
                Fail(lineNo, "unknown option " + key);
            it->second(options, raw, lineNo);
        } else if (section == "Texts") {
            int index = static_cast<int>(NumberValue(key, kTextCount - 1, lineNo));
            options.SetText(index, StringValue(raw, lineNo));
        } else {
            if (key.empty())
                Fail(lineNo, "a filter needs a class name");
            options.FilterClasses().Add(key);
            options.FilterTexts().Add(StringValue(raw, lineNo));
        }
    }
}

std::string OptionsBlockFromFile(const std::string& text) {
    TVantorModuleOptions options("", false);
    ReadOptionsFile(text, options);
    TMemoryStream stream;
    options.SaveToStream(stream);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}
