// The stored layout of a form: a small text format, parsed into a tree of objects
// with their properties in stored order. Portable.
//
//   object Form1: TForm1          an object: name, class
//     Left = 573                  integer
//     Caption = "Form1"           string, \" and \\ escaped
//     Color = clBtnFace           identifier (True, False, named constants)
//     Font.Style = []             set of identifiers
//     Lines = ("one" "two")       list of strings, may span lines
//     object LmLED1: TLmLED       children, in creation order
//     end
//   end
//
// Lines starting with # are comments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TLayoutValue {
    enum class TKind { Integer, String, Identifier, Set, StringList };
    TKind Kind = TKind::Integer;
    int64_t Integer = 0;
    std::string Text;               // String and Identifier
    std::vector<std::string> Items; // Set and StringList
};

struct TLayoutProperty {
    std::string Name;
    TLayoutValue Value;
    int Line = 0;
};

struct TLayoutObject {
    std::string Name;
    std::string ClassName;
    int Line = 0;
    std::vector<TLayoutProperty> Properties;
    std::vector<TLayoutObject> Children;
};

// Parses a whole layout with one root object; raises EReadError naming the line.
TLayoutObject ParseFormLayout(const std::string& text);

// Typed access that raises EReadError naming the property and its line.
int32_t LayoutInteger(const TLayoutProperty& p);
bool LayoutBoolean(const TLayoutProperty& p);
const std::string& LayoutString(const TLayoutProperty& p);
const std::string& LayoutIdentifier(const TLayoutProperty& p);
const std::vector<std::string>& LayoutSet(const TLayoutProperty& p);
const std::vector<std::string>& LayoutStringList(const TLayoutProperty& p);
