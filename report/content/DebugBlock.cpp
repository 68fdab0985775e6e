#include "DebugBlock.h"

#include "Cipher.h"
#include "Compression.h"
#include "LineTable.h"
#include "SysUtils.h"

#include <cstring>

namespace {

bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
}

// The version and the compilation date that start both forms' content.
bool ReadHead(TByteReader& r, TDebugData& out) {
    return r.ReadU16(out.Version) && r.ReadBytes(&out.CompilationDate, 8);
}

// A 4-byte length N and N bytes of line table, checked against what is there.
bool ReadLineTable(TByteReader& r, TDebugData& out, std::string& error) {
    uint32_t n;
    const uint8_t* bytes = nullptr;
    if (!r.ReadU32(n) || !(bytes = r.View(n)))
        return Fail(error, "the line table is longer than the data");
    out.LineTable.assign(bytes, bytes + n);
    out.HasLineTable = true;
    return true;
}

// Loads the options block that starts at the reader's position and moves past it.
bool LoadOptions(TByteReader& r, uint16_t version, TVantorModuleOptions& options,
                 std::string& error) {
    TCustomMemoryStream stream(r.View(0), r.Remaining());
    SetLastDebugVersion(version);
    try {
        options.LoadFromStream(stream, version);
    } catch (const EReadError& e) {
        return Fail(error, std::string("the options do not load: ") + e.what());
    }
    r.Skip(static_cast<size_t>(stream.Position()));
    return true;
}

} // namespace

bool IsDebugResource(const uint8_t* data, size_t size) {
    TByteReader r(data, size);
    uint32_t magic;
    return r.ReadU32(magic) && magic == kDebugDataMagic;
}

bool HasDebugTail(const uint8_t* file, size_t size) {
    if (size < 4)
        return false;
    TByteReader r(file + size - 4, 4);
    uint32_t magic;
    return r.ReadU32(magic) && magic == kDebugDataMagic;
}

bool ReadDebugResource(const uint8_t* data, size_t size, TVantorModuleOptions& options, bool lines,
                       TDebugData& out, std::string& error) {
    out = TDebugData{};
    TByteReader r(data, size);
    uint32_t magic;
    if (!r.ReadU32(magic) || magic != kDebugDataMagic)
        return Fail(error, "no debug data marker");
    if (!ReadHead(r, out))
        return Fail(error, "the block ends in its header");
    if (out.Version >= 500) {
        uint32_t symbolBytes;
        const uint8_t* symbols = nullptr;
        if (!r.ReadU32(symbolBytes) || !(symbols = r.View(symbolBytes)))
            return Fail(error, "the symbol table is longer than the data");
        TByteReader s(symbols, symbolBytes);
        for (TDebugSymbol sym; s.Remaining() >= 9;) {
            s.ReadU8(sym.Id);
            s.ReadU32(sym.Offset);
            s.Skip(4);
            out.Symbols.push_back(sym);
        }
        uint32_t optionBytes;
        const uint8_t* packed = nullptr;
        if (!r.ReadU32(optionBytes) || !(packed = r.View(optionBytes)))
            return Fail(error, "the options are longer than the data");
        std::vector<uint8_t> block;
        try {
            block = ZDecompress(packed, optionBytes);
        } catch (const EZLibError& e) {
            return Fail(error, std::string("the options do not decompress: ") + e.what());
        }
        TByteReader o(block.data(), block.size());
        if (!LoadOptions(o, out.Version, options, error))
            return false;
        if (!r.ReadBytes(out.PasswordCheck, 4))
            return Fail(error, "the block ends before its password check");
        out.HasPasswordCheck = true;
        if (!lines)
            return true;
        std::vector<uint8_t> lineData;
        try {
            lineData = ZDecompress(r.View(0), r.Remaining());
        } catch (const EZLibError&) {
            return true; // no line table: addresses resolve through exports only
        }
        TByteReader l(lineData.data(), lineData.size());
        std::string ignored;
        ReadLineTable(l, out, ignored);
        return true;
    }
    std::vector<uint8_t> content;
    if (out.Version >= 450) {
        try {
            content = ZDecompress(r.View(0), r.Remaining());
        } catch (const EZLibError& e) {
            return Fail(error, std::string("the block does not decompress: ") + e.what());
        }
    } else {
        const uint8_t* rest = r.View(r.Remaining());
        content.assign(rest, rest + (size - 14));
    }
    TByteReader c(content.data(), content.size());
    if (!LoadOptions(c, out.Version, options, error))
        return false;
    return !lines || ReadLineTable(c, out, error);
}

bool ReadDebugTail(const uint8_t* file, size_t size, TVantorModuleOptions& options, bool lines,
                   TDebugData& out, std::string& error) {
    out = TDebugData{};
    if (!HasDebugTail(file, size) || size < 8)
        return Fail(error, "no debug data marker at the end");
    TByteReader tail(file + size - 8, 4);
    uint32_t blockBytes;
    tail.ReadU32(blockBytes);
    if (blockBytes > size - 8)
        return Fail(error, "the block is longer than the file");
    TByteReader r(file + size - 8 - blockBytes, blockBytes);
    if (!ReadHead(r, out))
        return Fail(error, "the block ends in its header");
    if (!LoadOptions(r, out.Version, options, error))
        return false;
    return !lines || ReadLineTable(r, out, error);
}

bool PasswordMatches(const TDebugData& data, const std::string& password) {
    if (!data.HasPasswordCheck)
        return true;
    CipherUsePassword(password);
    uint8_t check[4];
    CipherDecrypt(data.PasswordCheck, check, 4);
    uint32_t value = static_cast<uint32_t>(check[0]) | (static_cast<uint32_t>(check[1]) << 8) |
                     (static_cast<uint32_t>(check[2]) << 16) |
                     (static_cast<uint32_t>(check[3]) << 24);
    return value == kDebugDataMagic;
}

bool FindSymbol(const uint8_t* data, size_t size, uint8_t id, uint32_t moduleBase,
                uint32_t& address) {
    TByteReader r(data, size);
    uint32_t magic, symbolBytes;
    if (!r.ReadU32(magic) || magic != kDebugDataMagic || !r.Skip(10) || !r.ReadU32(symbolBytes))
        return false;
    const uint8_t* table = r.View(symbolBytes);
    if (!table)
        return false;
    TByteReader s(table, symbolBytes);
    uint8_t entryId;
    uint32_t offset;
    while (s.Remaining() >= 9 && s.ReadU8(entryId) && s.ReadU32(offset) && s.Skip(4)) {
        if (entryId == id) {
            address = moduleBase + 0x1000 + offset;
            return true;
        }
    }
    return false;
}
