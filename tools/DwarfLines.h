// The rows of the DWARF line programs (versions 2 to 5) in a module's
// .debug_line section: address, source file and line. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TDwarfRow {
    uint32_t Address;
    std::string File; // the file name as stored, without its folder
    int32_t Line;
    bool EndSequence;
};

struct TDwarfSections {
    const uint8_t* Line = nullptr;
    size_t LineSize = 0;
    const uint8_t* LineStr = nullptr; // .debug_line_str
    size_t LineStrSize = 0;
    const uint8_t* Str = nullptr; // .debug_str
    size_t StrSize = 0;
};

// Every row of every sequence, in program order. Raises std::runtime_error for a
// malformed unit header; a unit of an unknown version is skipped.
std::vector<TDwarfRow> ReadDwarfLines(const TDwarfSections& sections);
