// The debug block of a module: its two stored forms (the "VLDATA" resource and
// the file tail) for every format version, read from bytes. Portable.
#pragma once

#include "VantorLogOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TDebugSymbol {
    uint8_t Id;
    uint32_t Offset; // relative: module base + 0x1000 + Offset
};

struct TDebugData {
    uint16_t Version = kOptionsStreamVersion;
    double CompilationDate = 0; // days since 1899-12-30, UTC; 0 = none
    std::vector<TDebugSymbol> Symbols;
    bool HasPasswordCheck = false;
    uint8_t PasswordCheck[4] = {};
    bool HasLineTable = false;
    std::vector<uint8_t> LineTable; // the N bytes
};

// True when the bytes begin with the marker (a resource that is a debug block).
bool IsDebugResource(const uint8_t* data, size_t size);
// True when the bytes of a file end with the marker.
bool HasDebugTail(const uint8_t* file, size_t size);

// Reads the resource form: version, date, and by version the symbol table, the
// options (loaded into options with that version's layout), the password check
// and the line table (only when lines is true). False, with the reason, for
// anything malformed; a failed decompression of a version-500 options block fails
// the whole read.
bool ReadDebugResource(const uint8_t* data, size_t size, TVantorModuleOptions& options, bool lines,
                       TDebugData& out, std::string& error);
// Reads the file-tail form from the bytes of the whole file (or its last part).
bool ReadDebugTail(const uint8_t* file, size_t size, TVantorModuleOptions& options, bool lines,
                   TDebugData& out, std::string& error);

// Whether the password check deciphers to the marker under this password.
bool PasswordMatches(const TDebugData& data, const std::string& password);

// The absolute address of a symbol, looked up in a debug resource's symbol table.
bool FindSymbol(const uint8_t* data, size_t size, uint8_t id, uint32_t moduleBase,
                uint32_t& address);
