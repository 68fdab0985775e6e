// Writes a module's debug block in the resource or the file-tail form: the
// writer tool's side of the format the library reads.
#pragma once

#include "DebugBlock.h"

#include <cstdint>
#include <string>
#include <vector>

struct TDebugBlockContent {
    uint16_t Version = kOptionsStreamVersion;
    double CompilationDate = 0;
    std::vector<TDebugSymbol> Symbols;
    std::vector<uint8_t> Options;   // the options block
    std::string Password;           // for the password check (resource form, 500 on)
    std::vector<uint8_t> LineTable; // the N bytes, names already stored for Version
};

// The resource form of the content's version (below 450 plain, 450 to 499 one
// zlib stream, 500 on with symbols, options, password check and line data).
std::vector<uint8_t> WriteDebugResource(const TDebugBlockContent& content);
// The file-tail form, to be appended to a module file.
std::vector<uint8_t> WriteDebugTail(const TDebugBlockContent& content);
