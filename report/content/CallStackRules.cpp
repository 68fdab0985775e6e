#include "CallStackRules.h"

#include "LineTable.h"

#include <cstring>
#include <vector>

namespace {

bool In(uint8_t b, uint8_t low, uint8_t high) {
    return b >= low && b <= high;
}

// Register forms leave out 4 (ESP needs a SIB byte and has forms of its own).
bool RegisterModRM(uint8_t b, uint8_t low) {
    return In(b, low, low + 3) || In(b, low + 5, low + 7);
}

void SplitDotted(const std::string& name, TExportName& out) {
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        size_t dot = name.find('.', start);
        parts.push_back(
            name.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    if (parts.size() != 2 && parts.size() != 3)
        return;
    out.Kind = 3;
    out.UnitName = parts[0] + kSourceExtension;
    out.ClassName = parts.size() == 3 ? parts[1] : "";
    out.ProcedureName = parts.back();
}

// "@Forms@TApplication@HandleException$qqr..." to "Forms.TApplication.HandleException".
std::string Unmangled(const std::string& name) {
    std::string s = name.substr(0, name.find('$'));
    if (!s.empty() && s.back() == '@')
        s.pop_back();
    s.erase(0, 1);
    if (size_t pair = s.find("@@"); pair != std::string::npos)
        s[pair + 1] = '_';
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '@') {
            s[i] = '.';
            ++i; // the character after it is passed over
        }
    }
    return s;
}

} // namespace

TCallForm MatchCallForm(const uint8_t* s, const std::function<bool(uint32_t)>& pointerReadable,
                        uint32_t& callOffset) {
    struct TRule {
        TCallForm Form;
        uint32_t Offset;
        bool (*Matches)(const uint8_t*);
    };
    static const TRule rules[] = {
        {kCallDirect, 2, [](const uint8_t* s) { return s[2] == 0xE8; }},
        {kCallRegister, 5, [](const uint8_t* s) { return s[5] == 0xFF && In(s[6], 0xD0, 0xD7); }},
        {kCallThroughRegister, 5,
         [](const uint8_t* s) {
             return s[5] == 0xFF && (In(s[6], 0x10, 0x13) || In(s[6], 0x16, 0x17));
         }},
        {kCallRegisterDisp8, 4,
         [](const uint8_t* s) { return s[4] == 0xFF && RegisterModRM(s[5], 0x50); }},
        {kCallRegisterDisp32, 1,
         [](const uint8_t* s) { return s[1] == 0xFF && RegisterModRM(s[2], 0x90); }},
        {kCallThroughEsp, 4,
         [](const uint8_t* s) { return s[4] == 0xFF && s[5] == 0x14 && s[6] == 0x24; }},
        {kCallEspDisp8, 3,
         [](const uint8_t* s) { return s[3] == 0xFF && s[4] == 0x54 && s[5] == 0x24; }},
        {kCallEspDisp32, 0,
         [](const uint8_t* s) { return s[0] == 0xFF && s[1] == 0x94 && s[2] == 0x24; }},
    };
    for (const TRule& rule : rules) {
        if (rule.Matches(s)) {
            callOffset = rule.Offset;
            return rule.Form;
        }
    }
    if (s[1] == 0xFF && s[2] == 0x15) {
        uint32_t pointer;
        std::memcpy(&pointer, s + 3, 4);
        if (pointerReadable(pointer)) {
            callOffset = 1;
            return kCallAbsolutePointer;
        }
    }
    return kNoCall;
}

TExportName SplitExportName(const std::string& name) {
    TExportName out;
    const bool mangled =
        name.size() > 1 && name[0] == '@' && name[1] != '$' && name.find('$') != std::string::npos;
    if (mangled) {
        SplitDotted(Unmangled(name), out);
    } else if (name.find('.') != std::string::npos && name[0] != '@') {
        SplitDotted(name.substr(0, name.find('@')), out);
    } else if (!name.empty() && name[0] != '?') {
        out.Kind = 2;
        out.ProcedureName = name;
    }
    if (!out.ProcedureName.empty() && out.ProcedureName[0] == '@')
        out.ProcedureName[0] = '_';
    return out;
}
