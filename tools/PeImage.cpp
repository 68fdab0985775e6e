#include "PeImage.h"

#include "Classes.h"

#include <cxxabi.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what);
}

std::string FixedName(const uint8_t* p, size_t n) {
    size_t length = 0;
    while (length < n && p[length])
        ++length;
    return std::string(reinterpret_cast<const char*>(p), length);
}

std::string TableString(const std::vector<uint8_t>& file, size_t table, size_t tableSize,
                        uint32_t offset) {
    if (offset < 4 || offset >= tableSize)
        Fail("a name points outside the COFF string table");
    const uint8_t* p = file.data() + table + offset;
    return FixedName(p, tableSize - offset);
}

} // namespace

const TPeSection* TPeImage::Find(const std::string& name) const {
    for (const TPeSection& s : Sections)
        if (s.Name == name)
            return &s;
    return nullptr;
}

TPeImage ReadPeImage(const std::vector<uint8_t>& file) {
    TByteReader r(file.data(), file.size());
    uint16_t mz;
    uint32_t peOffset, signature;
    if (!r.ReadU16(mz) || mz != 0x5A4D || !r.Seek(0x3C) || !r.ReadU32(peOffset) ||
        !r.Seek(peOffset) || !r.ReadU32(signature) || signature != 0x00004550)
        Fail("not a PE image");
    uint16_t machine, sections, optionalSize, characteristics;
    uint32_t stamp, symbolTable, symbolCount;
    if (!r.ReadU16(machine) || !r.ReadU16(sections) || !r.ReadU32(stamp) ||
        !r.ReadU32(symbolTable) || !r.ReadU32(symbolCount) || !r.ReadU16(optionalSize) ||
        !r.ReadU16(characteristics))
        Fail("the COFF header is incomplete");
    if (machine != 0x14C)
        Fail("not an i686 image");
    const size_t optional = r.Position();
    uint16_t magic;
    TPeImage image;
    if (!r.ReadU16(magic) || magic != 0x10B || !r.Seek(optional + 28) ||
        !r.ReadU32(image.ImageBase))
        Fail("not a PE32 image");
    if (!r.Seek(optional + optionalSize))
        Fail("the optional header is larger than the file");

    // The string table follows the symbols; long section names live there.
    size_t stringTable = 0, stringTableSize = 0;
    if (symbolTable != 0) {
        uint64_t end = static_cast<uint64_t>(symbolTable) + 18ull * symbolCount;
        if (end + 4 > file.size())
            Fail("the symbol table is larger than the file");
        stringTable = static_cast<size_t>(end);
        uint32_t size;
        TByteReader s(file.data() + stringTable, file.size() - stringTable);
        if (!s.ReadU32(size) || size > file.size() - stringTable)
            Fail("the string table is larger than the file");
        stringTableSize = size;
    }
    for (uint16_t i = 0; i < sections; ++i) {
        const uint8_t* h = r.View(40);
        if (!h)
            Fail("the section table is incomplete");
        TPeSection s;
        std::string raw = FixedName(h, 8);
        if (!raw.empty() && raw[0] == '/')
            s.Name = TableString(file, stringTable, stringTableSize,
                                 static_cast<uint32_t>(std::strtoul(raw.c_str() + 1, nullptr, 10)));
        else
            s.Name = raw;
        std::memcpy(&s.VirtualSize, h + 8, 4);
        std::memcpy(&s.VirtualAddress, h + 12, 4);
        std::memcpy(&s.RawSize, h + 16, 4);
        std::memcpy(&s.RawOffset, h + 20, 4);
        if (static_cast<uint64_t>(s.RawOffset) + s.RawSize > file.size())
            Fail("section " + s.Name + " reaches past the end of the file");
        image.Sections.push_back(s);
    }
    for (uint32_t i = 0; i < symbolCount; ++i) {
        const uint8_t* e = file.data() + symbolTable + 18ull * i;
        uint32_t value;
        int16_t section;
        uint16_t type;
        std::memcpy(&value, e + 8, 4);
        std::memcpy(&section, e + 12, 2);
        std::memcpy(&type, e + 14, 2);
        uint8_t aux = e[17];
        if (section >= 1 && section <= static_cast<int>(image.Sections.size())) {
            TPeSymbol sym;
            uint32_t zero, offset;
            std::memcpy(&zero, e, 4);
            std::memcpy(&offset, e + 4, 4);
            sym.Name = zero == 0 ? TableString(file, stringTable, stringTableSize, offset)
                                 : FixedName(e, 8);
            sym.Rva = image.Sections[static_cast<size_t>(section - 1)].VirtualAddress + value;
            sym.Function = (type & 0x30) == 0x20;
            image.Symbols.push_back(std::move(sym));
        }
        i += aux;
    }
    return image;
}

std::string WithoutStdcallSuffix(const std::string& stored) {
    // "name@12", also before a clone suffix: "name@12.cold".
    size_t at = stored.rfind('@');
    if (at == std::string::npos)
        return stored;
    size_t end = stored.find_first_not_of("0123456789", at + 1);
    if (end == at + 1 || (end != std::string::npos && stored[end] != '.'))
        return stored;
    return stored.substr(0, at) + (end == std::string::npos ? "" : stored.substr(end));
}

std::string DemangledSymbol(const std::string& stored) {
    // i686 symbols carry a leading underscore before the Itanium "_Z".
    if (stored.compare(0, 3, "__Z") != 0)
        return "";
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(WithoutStdcallSuffix(stored).c_str() + 1, nullptr, nullptr, &status),
        std::free);
    return status == 0 && name ? std::string(name.get()) : std::string();
}
