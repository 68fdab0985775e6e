#include "FormLayout.h"

#include "SysUtils.h"

#include <cctype>
#include <climits>

namespace {

constexpr int kMaxDepth = 32;

[[noreturn]] void Fail(int line, const std::string& what) {
    throw EReadError("line " + std::to_string(line) + ": " + what);
}

bool IsIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    TLayoutObject ParseRoot() {
        SkipBlank();
        if (AtEnd())
            Fail(line_, "the layout is empty");
        TLayoutObject root = ParseObject(0);
        SkipBlank();
        if (!AtEnd())
            Fail(line_, "text after the end of the root object");
        return root;
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

    // Skips spaces, line breaks and comment lines.
    void SkipBlank() {
        while (!AtEnd()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else if (c == '#' && AtLineStart()) {
                while (!AtEnd() && text_[pos_] != '\n')
                    ++pos_;
            } else {
                break;
            }
        }
    }

    bool AtLineStart() const {
        size_t i = pos_;
        while (i > 0 && (text_[i - 1] == ' ' || text_[i - 1] == '\t'))
            --i;
        return i == 0 || text_[i - 1] == '\n';
    }

    void SkipSpaces() {
        while (!AtEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r'))
            ++pos_;
    }

    void ExpectLineEnd() {
        SkipSpaces();
        if (!AtEnd() && text_[pos_] != '\n')
            Fail(line_, "unexpected text \"" + RestOfLine() + "\"");
    }

    std::string RestOfLine() const {
        size_t end = text_.find('\n', pos_);
        std::string rest = text_.substr(pos_, end == std::string::npos ? end : end - pos_);
        while (!rest.empty() && (rest.back() == '\r' || rest.back() == ' '))
            rest.pop_back();
        return rest;
    }

    std::string Identifier(bool dotted) {
        if (!IsIdentStart(Peek()))
            Fail(line_, "a name is expected");
        size_t start = pos_;
        while (!AtEnd() && (IsIdentChar(text_[pos_]) || (dotted && text_[pos_] == '.')))
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

    TLayoutObject ParseObject(int depth) {
        if (depth > kMaxDepth)
            Fail(line_, "objects nested too deeply");
        TLayoutObject obj;
        obj.Line = line_;
        if (Identifier(false) != "object")
            Fail(line_, "\"object\" is expected");
        SkipSpaces();
        obj.Name = Identifier(false);
        SkipSpaces();
        if (Peek() != ':')
            Fail(line_, "\":\" is expected after the object name");
        ++pos_;
        SkipSpaces();
        obj.ClassName = Identifier(false);
        ExpectLineEnd();
        for (;;) {
            SkipBlank();
            if (AtEnd())
                Fail(obj.Line, "object " + obj.Name + " has no \"end\"");
            size_t save = pos_;
            std::string word = Identifier(true);
            if (word == "end") {
                ExpectLineEnd();
                return obj;
            }
            if (word == "object") {
                pos_ = save;
                obj.Children.push_back(ParseObject(depth + 1));
                continue;
            }
            TLayoutProperty prop;
            prop.Name = word;
            prop.Line = line_;
            SkipSpaces();
            if (Peek() != '=')
                Fail(line_, "\"=\" is expected after " + word);
            ++pos_;
            SkipSpaces();
            prop.Value = ParseValue();
            ExpectLineEnd();
            obj.Properties.push_back(std::move(prop));
        }
    }

    TLayoutValue ParseValue() {
        TLayoutValue v;
        char c = Peek();
        if (c == '"') {
            v.Kind = TLayoutValue::TKind::String;
            v.Text = QuotedString();
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            v.Kind = TLayoutValue::TKind::Integer;
            v.Integer = Integer();
        } else if (c == '[') {
            v.Kind = TLayoutValue::TKind::Set;
            ++pos_;
            SkipSpaces();
            while (Peek() != ']') {
                v.Items.push_back(Identifier(false));
                SkipSpaces();
                if (Peek() == ',') {
                    ++pos_;
                    SkipSpaces();
                } else if (Peek() != ']') {
                    Fail(line_, "\",\" or \"]\" is expected in a set");
                }
            }
            ++pos_;
        } else if (c == '(') {
            v.Kind = TLayoutValue::TKind::StringList;
            const int opened = line_;
            ++pos_;
            for (;;) {
                SkipBlank();
                if (AtEnd())
                    Fail(opened, "\")\" is expected to close the list");
                if (Peek() == ')') {
                    ++pos_;
                    break;
                }
                if (Peek() != '"')
                    Fail(line_, "a string is expected in the list");
                v.Items.push_back(QuotedString());
            }
        } else if (IsIdentStart(c)) {
            v.Kind = TLayoutValue::TKind::Identifier;
            v.Text = Identifier(false);
        } else {
            Fail(line_, "a value is expected");
        }
        return v;
    }

    std::string QuotedString() {
        ++pos_; // opening quote
        std::string s;
        for (;;) {
            if (AtEnd() || text_[pos_] == '\n')
                Fail(line_, "the string is not closed");
            char c = text_[pos_++];
            if (c == '"')
                return s;
            if (c == '\\') {
                if (AtEnd() || (text_[pos_] != '"' && text_[pos_] != '\\'))
                    Fail(line_, "only \\\" and \\\\ may follow a backslash");
                c = text_[pos_++];
            }
            s += c;
        }
    }

    int64_t Integer() {
        bool negative = false;
        if (Peek() == '-') {
            negative = true;
            ++pos_;
        }
        if (!std::isdigit(static_cast<unsigned char>(Peek())))
            Fail(line_, "a digit is expected");
        int64_t value = 0;
        while (std::isdigit(static_cast<unsigned char>(Peek()))) {
            value = value * 10 + (text_[pos_++] - '0');
            if (value > static_cast<int64_t>(UINT32_MAX))
                Fail(line_, "the number is too large");
        }
        if (IsIdentChar(Peek()))
            Fail(line_, "a number must not run into a name");
        return negative ? -value : value;
    }

    const std::string& text_;
    size_t pos_ = 0;
    int line_ = 1;
};

[[noreturn]] void WrongKind(const TLayoutProperty& p, const char* expected) {
    Fail(p.Line, "property " + p.Name + ": " + expected + " expected");
}

} // namespace

TLayoutObject ParseFormLayout(const std::string& text) {
    return Parser(text).ParseRoot();
}

int32_t LayoutInteger(const TLayoutProperty& p) {
    if (p.Value.Kind != TLayoutValue::TKind::Integer)
        WrongKind(p, "an integer");
    if (p.Value.Integer < INT32_MIN || p.Value.Integer > INT32_MAX)
        Fail(p.Line, "property " + p.Name + ": the value is out of range");
    return static_cast<int32_t>(p.Value.Integer);
}

bool LayoutBoolean(const TLayoutProperty& p) {
    if (p.Value.Kind == TLayoutValue::TKind::Identifier) {
        if (p.Value.Text == "True")
            return true;
        if (p.Value.Text == "False")
            return false;
    }
    WrongKind(p, "True or False");
}

const std::string& LayoutString(const TLayoutProperty& p) {
    if (p.Value.Kind != TLayoutValue::TKind::String)
        WrongKind(p, "a string");
    return p.Value.Text;
}

const std::string& LayoutIdentifier(const TLayoutProperty& p) {
    if (p.Value.Kind != TLayoutValue::TKind::Identifier)
        WrongKind(p, "a name");
    return p.Value.Text;
}

const std::vector<std::string>& LayoutSet(const TLayoutProperty& p) {
    if (p.Value.Kind != TLayoutValue::TKind::Set)
        WrongKind(p, "a set");
    return p.Value.Items;
}

const std::vector<std::string>& LayoutStringList(const TLayoutProperty& p) {
    if (p.Value.Kind != TLayoutValue::TKind::StringList)
        WrongKind(p, "a list of strings");
    return p.Value.Items;
}
