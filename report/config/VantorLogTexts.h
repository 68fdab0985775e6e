// The 96 caption and message texts of the reporting library: their defaults and
// the names an options editor shows for them. Portable.
#pragma once

#include <array>
#include <string>

constexpr int kTextCount = 96;

// The default texts, by index.
extern const std::array<const char*, kTextCount> kDefaultTexts;

// One row of the options editor's tree: the root (level 0), a heading (level 1)
// or a text's name (level 2, with its index).
struct TTextName {
    const char* Name;
    int Level;
    int TextIndex; // -1 for the root and the headings
};

constexpr int kTextNameCount = 107;
extern const std::array<TTextName, kTextNameCount> kTextNames;
