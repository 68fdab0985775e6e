#include "DwarfLines.h"

#include "Classes.h"

#include <stdexcept>

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("DWARF line table: " + what);
}

uint64_t Uleb(TByteReader& r) {
    uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        uint8_t b;
        if (!r.ReadU8(b))
            Fail("a number runs past the data");
        value |= static_cast<uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80))
            return value;
    }
    Fail("a number is too long");
}

int64_t Sleb(TByteReader& r) {
    int64_t value = 0;
    int shift = 0;
    uint8_t b;
    do {
        if (!r.ReadU8(b) || shift >= 64)
            Fail("a number runs past the data");
        value |= static_cast<int64_t>(b & 0x7F) << shift;
        shift += 7;
    } while (b & 0x80);
    if (shift < 64 && (b & 0x40))
        value |= -(static_cast<int64_t>(1) << shift);
    return value;
}

std::string CString(TByteReader& r) {
    std::string s;
    for (uint8_t c; r.ReadU8(c) && c;)
        s += static_cast<char>(c);
    return s;
}

std::string StringAt(const uint8_t* section, size_t size, uint32_t offset) {
    if (!section || offset >= size)
        Fail("a string offset is outside its section");
    std::string s;
    for (size_t i = offset; i < size && section[i]; ++i)
        s += static_cast<char>(section[i]);
    return s;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// One attribute value of a v5 directory or file entry; strings are returned.
std::string ReadForm(TByteReader& r, uint64_t form, const TDwarfSections& s, uint64_t& number) {
    uint32_t u32;
    uint16_t u16;
    uint8_t u8;
    number = 0;
    switch (form) {
    case 0x08:
        return CString(r); // string
    case 0x1f:
        if (!r.ReadU32(u32))
            Fail("truncated");
        return StringAt(s.LineStr, s.LineStrSize, u32); // line_strp
    case 0x0e:
        if (!r.ReadU32(u32))
            Fail("truncated");
        return StringAt(s.Str, s.StrSize, u32); // strp
    case 0x0f:
        number = Uleb(r);
        return ""; // udata
    case 0x0b:
        if (!r.ReadU8(u8))
            Fail("truncated");
        number = u8;
        return ""; // data1
    case 0x05:
        if (!r.ReadU16(u16))
            Fail("truncated");
        number = u16;
        return "";
    case 0x06:
        if (!r.ReadU32(u32))
            Fail("truncated");
        number = u32;
        return "";
    case 0x07:
        if (!r.Skip(8))
            Fail("truncated");
        return "";
    case 0x1e:
        if (!r.Skip(16))
            Fail("truncated");
        return ""; // data16 (MD5)
    case 0x09:
        if (!r.Skip(static_cast<size_t>(Uleb(r))))
            Fail("truncated");
        return ""; // block
    default:
        Fail("unsupported form " + std::to_string(form));
    }
}

std::vector<std::string> ReadEntriesV5(TByteReader& r, const TDwarfSections& s) {
    uint8_t formatCount;
    if (!r.ReadU8(formatCount))
        Fail("truncated");
    std::vector<std::pair<uint64_t, uint64_t>> formats;
    for (int i = 0; i < formatCount; ++i) {
        uint64_t type = Uleb(r);
        formats.push_back({type, Uleb(r)});
    }
    uint64_t count = Uleb(r);
    if (count > r.Remaining())
        Fail("too many entries");
    std::vector<std::string> names;
    for (uint64_t i = 0; i < count; ++i) {
        std::string path;
        for (auto [type, form] : formats) {
            uint64_t number;
            std::string text = ReadForm(r, form, s, number);
            if (type == 1) // DW_LNCT_path
                path = text;
        }
        names.push_back(BaseName(path));
    }
    return names;
}

} // namespace

std::vector<TDwarfRow> ReadDwarfLines(const TDwarfSections& s) {
    std::vector<TDwarfRow> rows;
    TByteReader section(s.Line, s.LineSize);
    while (section.Remaining() >= 4) {
        uint32_t unitLength;
        section.ReadU32(unitLength);
        if (unitLength == 0xFFFFFFFF)
            Fail("64-bit DWARF is not supported");
        const uint8_t* unitBytes = section.View(unitLength);
        if (!unitBytes)
            Fail("a unit is longer than the section");
        TByteReader r(unitBytes, unitLength);
        uint16_t version;
        if (!r.ReadU16(version))
            Fail("truncated");
        if (version < 2 || version > 5)
            continue;
        uint8_t addressSize = 4, segmentSize = 0;
        if (version >= 5 && (!r.ReadU8(addressSize) || !r.ReadU8(segmentSize)))
            Fail("truncated");
        uint32_t headerLength;
        if (!r.ReadU32(headerLength))
            Fail("truncated");
        const size_t programStart = r.Position() + headerLength;
        uint8_t minInst, maxOps = 1, defaultIsStmt, lineRange, opcodeBase;
        int8_t lineBase;
        if (!r.ReadU8(minInst) || (version >= 4 && !r.ReadU8(maxOps)) || !r.ReadU8(defaultIsStmt) ||
            !r.ReadBytes(&lineBase, 1) || !r.ReadU8(lineRange) || !r.ReadU8(opcodeBase) ||
            lineRange == 0 || opcodeBase == 0)
            Fail("the header is incomplete");
        std::vector<uint8_t> opcodeLengths(opcodeBase - 1u);
        if (!r.ReadBytes(opcodeLengths.data(), opcodeLengths.size()))
            Fail("truncated");
        std::vector<std::string> files;
        if (version >= 5) {
            ReadEntriesV5(r, s); // directories: only base names matter here
            files = ReadEntriesV5(r, s);
        } else {
            while (!CString(r).empty()) {
            }
            files.push_back(""); // file numbers start at 1
            for (std::string name; !(name = CString(r)).empty();) {
                Uleb(r);
                Uleb(r);
                Uleb(r);
                files.push_back(BaseName(name));
            }
        }
        if (!r.Seek(programStart))
            Fail("the header is longer than the unit");
        uint64_t address = 0;
        uint64_t file = 1;
        int64_t line = 1;
        auto fileName = [&] { return file < files.size() ? files[file] : std::string(); };
        auto emit = [&](bool end) {
            rows.push_back(
                {static_cast<uint32_t>(address), fileName(), static_cast<int32_t>(line), end});
        };
        auto reset = [&] {
            address = 0;
            file = 1;
            line = 1;
        };
        while (!r.AtEnd()) {
            uint8_t op;
            r.ReadU8(op);
            if (op >= opcodeBase) {
                uint8_t adjusted = static_cast<uint8_t>(op - opcodeBase);
                address += static_cast<uint64_t>(adjusted / lineRange) * minInst;
                line += lineBase + adjusted % lineRange;
                emit(false);
                continue;
            }
            switch (op) {
            case 0: { // extended
                uint64_t length = Uleb(r);
                size_t start = r.Position();
                uint8_t sub;
                if (length == 0 || !r.ReadU8(sub))
                    Fail("truncated");
                if (sub == 1) {
                    emit(true);
                    reset();
                } else if (sub == 2) {
                    uint32_t a = 0;
                    if (addressSize != 4 || !r.ReadU32(a))
                        Fail("an address of another size");
                    address = a;
                }
                if (!r.Seek(start + static_cast<size_t>(length)))
                    Fail("truncated");
                break;
            }
            case 1:
                emit(false);
                break; // copy
            case 2:
                address += Uleb(r) * minInst;
                break; // advance_pc
            case 3:
                line += Sleb(r);
                break; // advance_line
            case 4:
                file = Uleb(r);
                break; // set_file
            case 8:
                address += static_cast<uint64_t>((255 - opcodeBase) / lineRange) * minInst;
                break;
            case 9: { // fixed_advance_pc
                uint16_t delta;
                if (!r.ReadU16(delta))
                    Fail("truncated");
                address += delta;
                break;
            }
            default: // standard opcodes without effect on rows: skip their operands
                for (int k = 0; k < opcodeLengths[op - 1u]; ++k)
                    Uleb(r);
                break;
            }
        }
    }
    return rows;
}
