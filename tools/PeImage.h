// A linked PE32 i686 image as the writer tool reads it: sections by name (long
// names through the COFF string table) and the COFF symbol table. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TPeSection {
    std::string Name;
    uint32_t VirtualAddress = 0; // relative to the image base
    uint32_t VirtualSize = 0;
    uint32_t RawOffset = 0;
    uint32_t RawSize = 0;
};

struct TPeSymbol {
    std::string Name; // as stored (i686 C++ names begin with "__Z")
    uint32_t Rva = 0; // relative to the image base
    bool Function = false;
};

struct TPeImage {
    uint32_t ImageBase = 0;
    std::vector<TPeSection> Sections;
    std::vector<TPeSymbol> Symbols;
    const TPeSection* Find(const std::string& name) const;
};

// Parses the file; raises std::runtime_error saying what is wrong for anything
// that is not a PE32 i686 image. Every offset and count is checked.
TPeImage ReadPeImage(const std::vector<uint8_t>& file);

// A stdcall symbol without its "@<argument bytes>" suffix.
std::string WithoutStdcallSuffix(const std::string& stored);
// "TApplication::HandleException(TObject*)" for a stored C++ symbol name, or "".
std::string DemangledSymbol(const std::string& stored);
