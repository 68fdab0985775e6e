#include "LineTable.h"

#include "Base64.h"
#include "Cipher.h"

#include <algorithm>

const char kSourceExtension[] = ".cpp";

namespace {

void AppendCapped(std::string& name, const std::string& part) {
    if (name.size() < kMaxNameLength)
        name.append(part, 0, kMaxNameLength - name.size());
}

std::string DecodePart(const uint8_t* bytes, size_t length, const TNameContext& c) {
    std::string part(reinterpret_cast<const char*>(bytes), length);
    if (c.Version < 500) {
        for (char& ch : part)
            ch = static_cast<char>(static_cast<uint8_t>(ch) ^ kNameMask);
    } else if (c.NamesReadable) {
        CipherUsePassword(c.Password);
        CipherDecrypt(part.data(), part.data(), part.size());
    } else if (!part.empty()) {
        part = "?" + EncodeBlock(bytes, length);
        if (part.size() > kMaxNameLength)
            part.resize(kMaxNameLength);
    }
    return part;
}

// Unit names: "p" as the second character when unreadable, the source extension
// when readable and without one.
std::string UnitName(std::string name, const TNameContext& c) {
    if (!c.NamesReadable)
        name.insert(std::min<size_t>(1, name.size()), "p");
    else if (name.find('.') == std::string::npos)
        name += kSourceExtension;
    if (name.size() > kMaxNameLength)
        name.resize(kMaxNameLength);
    return name;
}

bool InRange(uint32_t address, uint64_t first, uint64_t last) {
    return address >= first && address <= last;
}

} // namespace

bool ReadStoredName(TByteReader& r, const TNameContext& c, std::string& name) {
    name.clear();
    for (bool first = true;; first = false) {
        uint8_t lengthByte;
        if (!r.ReadU8(lengthByte))
            return false;
        bool continued = c.Version >= 502 && lengthByte >= 128;
        size_t length = continued ? (lengthByte & 0x7F) : lengthByte;
        const uint8_t* bytes = r.View(length);
        if (!bytes)
            return false;
        if (!first)
            AppendCapped(name, ".");
        AppendCapped(name, DecodePart(bytes, length, c));
        if (!continued)
            return true;
    }
}

// Moves past a stored name without decoding it.
bool SkipStoredName(TByteReader& r, uint16_t version) {
    for (;;) {
        uint8_t lengthByte;
        if (!r.ReadU8(lengthByte))
            return false;
        bool continued = version >= 502 && lengthByte >= 128;
        if (!r.Skip(continued ? (lengthByte & 0x7F) : lengthByte))
            return false;
        if (!continued)
            return true;
    }
}

bool ReadLineRecord(TByteReader& r, const TNameContext& c, TLineRecord& rec) {
    uint8_t b;
    size_t start = r.Position();
    if (!r.ReadU8(b))
        return false;
    rec = TLineRecord{};
    if ((b & 1) == 0) {
        rec.LineStep = (b >> 6) + 1;
        rec.AddressStep = ((b >> 1) & 0x1F) + 1u;
        return true;
    }
    if ((b & 2) == 0) {
        rec.LineStep = (b >> 5) + 1;
        rec.AddressStep = ((b >> 2) & 7) + 1u;
        rec.OpensProcedure = true;
        return ReadStoredName(r, c, rec.ProcedureName);
    }
    r.Seek(start);
    if ((b & 8) == 0) {
        uint16_t w;
        if (!r.ReadU16(w))
            return false;
        rec.LineStep = (w >> 11) + 1;
        rec.AddressStep = ((w >> 4) & 0x7F) + 1u;
    } else {
        uint32_t d;
        if (!r.ReadU32(d))
            return false;
        uint32_t e = d >> 4;
        if (e == 0x0FFEFFFE && c.Version >= 423) {
            uint16_t lineStep, addressStep;
            if (!r.ReadU16(lineStep) || !r.ReadU16(addressStep))
                return false;
            rec.LineStep = static_cast<int16_t>(static_cast<uint16_t>(lineStep + 1));
            rec.AddressStep = addressStep + 1u;
        } else {
            rec.LineStep = static_cast<int16_t>(static_cast<uint16_t>((e & 0xFFFF) + 1));
            uint32_t field = e >> 16;
            rec.AddressStep = field == 0xFFF ? 0 : field + 1;
        }
    }
    rec.OpensProcedure = (b & 4) != 0;
    return rec.OpensProcedure ? ReadStoredName(r, c, rec.ProcedureName) : true;
}

void SplitProcedureName(const std::string& name, const std::string& rememberedClass,
                        std::string& className, std::string& procedureName) {
    if (!name.empty() && name[0] == '.') {
        className = rememberedClass;
        procedureName = name.substr(1);
    } else {
        size_t dot = name.find('.');
        className = dot == std::string::npos ? std::string() : name.substr(0, dot);
        procedureName = dot == std::string::npos ? name : name.substr(dot + 1);
    }
    if (!procedureName.empty() && procedureName[0] == '@')
        procedureName[0] = '_';
}

bool FindLineInfo(const uint8_t* table, size_t size, const TLineLookup& lookup, uint32_t address,
                  TLineInfo& info) {
    const TNameContext& names = lookup.Names;
    TByteReader r(table, size);
    if (names.Version > 404 && names.Version < 500) {
        uint32_t skip;
        if (!r.ReadU32(skip) || !r.Skip(skip))
            return false;
    }
    uint32_t units;
    // A unit takes at least a name byte and four 32-bit fields.
    if (!r.ReadU32(units) || units > r.Remaining() / 17)
        return false;
    const uint64_t base = static_cast<uint64_t>(lookup.ModuleBase) + 0x1000;
    for (uint32_t u = 0; u < units; ++u) {
        // The name is decoded only for the unit that holds the address.
        const size_t namePosition = r.Position();
        int32_t baseLine;
        uint32_t startOffset, codeSize, recordLength;
        if (!SkipStoredName(r, names.Version) || !r.ReadI32(baseLine) || !r.ReadU32(startOffset) ||
            !r.ReadU32(codeSize) || !r.ReadU32(recordLength))
            return false;
        const uint8_t* records = r.View(recordLength);
        if (!records)
            return false;
        const uint64_t first = base + startOffset;
        if (codeSize == 0 || !InRange(address, first, first + codeSize - 1))
            continue;
        std::string unit;
        TByteReader nameReader(table, size);
        nameReader.Seek(namePosition);
        if (!ReadStoredName(nameReader, names, unit))
            return false;

        TByteReader rr(records, recordLength);
        int64_t line = baseLine;
        uint64_t current = startOffset;
        int64_t procFirstLine = 0;
        uint64_t procAddress = 0;
        bool procOpened = false;
        std::string className, procedure, remembered, lastRead;
        auto test = [&](uint64_t from, uint64_t to) {
            if (!InRange(address, base + from, base + to))
                return false;
            info.Address = address;
            info.UnitName = UnitName(unit, names);
            info.ClassName = className;
            info.ProcedureName = procedure;
            info.Line = static_cast<int32_t>(line);
            info.LineOffset = 0;
            if (procOpened) {
                int64_t firstLine = procFirstLine;
                if (lastRead == "Finalization")
                    --firstLine;
                uint8_t code[3] = {};
                bool read = lookup.ReadCode &&
                            lookup.ReadCode(static_cast<uint32_t>(procAddress), code, sizeof code);
                bool framed = read && ((code[0] == 0x55 && code[1] == 0x8B && code[2] == 0xEC) ||
                                       code[0] == 0x53);
                if (lastRead != "Initialization" && !framed)
                    --firstLine;
                info.LineOffset = static_cast<int32_t>(std::max<int64_t>(0, line - firstLine));
            }
            return true;
        };
        while (!rr.AtEnd()) {
            TLineRecord rec;
            if (!ReadLineRecord(rr, names, rec))
                return false;
            int64_t newLine = line + rec.LineStep;
            uint64_t newAddress = current + rec.AddressStep;
            if (rec.OpensProcedure) {
                procOpened = true;
                procFirstLine = newLine;
                procAddress = base + newAddress;
                std::string cls, proc;
                SplitProcedureName(rec.ProcedureName, remembered, cls, proc);
                if (!cls.empty())
                    remembered = cls;
                className = cls;
                lastRead = proc;
                if (procedure.empty())
                    procedure = proc;
            }
            if (newAddress > current && test(current, newAddress - 1))
                return true;
            procedure = lastRead.empty() ? procedure : lastRead;
            line = newLine;
            current = newAddress;
        }
        if (static_cast<uint64_t>(startOffset) + codeSize > current &&
            test(current, static_cast<uint64_t>(startOffset) + codeSize - 1))
            return true;
    }
    return false;
}
