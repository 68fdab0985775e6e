#include "Classes.h"
#include "DebugBlockWriter.h"

#include "Cipher.h"
#include "Compression.h"
#include "LineTable.h"
#include "NameCipher.h"

#include <cstring>

namespace {

void Put(std::vector<uint8_t>& out, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

void PutHead(std::vector<uint8_t>& out, const TDebugBlockContent& c) {
    uint8_t v[2] = {static_cast<uint8_t>(c.Version), static_cast<uint8_t>(c.Version >> 8)};
    Put(out, v, 2);
    Put(out, &c.CompilationDate, 8);
}

// The options, then N and the line table.
std::vector<uint8_t> OptionsAndLines(const TDebugBlockContent& c) {
    std::vector<uint8_t> body = c.Options;
    AppendU32(body, static_cast<uint32_t>(c.LineTable.size()));
    Put(body, c.LineTable.data(), c.LineTable.size());
    return body;
}

} // namespace

std::vector<uint8_t> WriteDebugResource(const TDebugBlockContent& c) {
    std::vector<uint8_t> out;
    AppendU32(out, kDebugDataMagic);
    PutHead(out, c);
    if (c.Version < 500) {
        std::vector<uint8_t> body = OptionsAndLines(c);
        if (c.Version >= 450)
            body = ZCompress(body.data(), body.size());
        Put(out, body.data(), body.size());
        return out;
    }
    AppendU32(out, static_cast<uint32_t>(9 * c.Symbols.size()));
    for (const TDebugSymbol& s : c.Symbols) {
        out.push_back(s.Id);
        AppendU32(out, s.Offset);
        AppendU32(out, 0);
    }
    std::vector<uint8_t> options = ZCompress(c.Options.data(), c.Options.size());
    AppendU32(out, static_cast<uint32_t>(options.size()));
    Put(out, options.data(), options.size());
    std::vector<uint8_t> check;
    AppendU32(check, kDebugDataMagic);
    CipherUsePassword(c.Password);
    CipherEncrypt(check.data(), check.data(), 4);
    Put(out, check.data(), 4);
    std::vector<uint8_t> lines;
    AppendU32(lines, static_cast<uint32_t>(c.LineTable.size()));
    Put(lines, c.LineTable.data(), c.LineTable.size());
    std::vector<uint8_t> packed = ZCompress(lines.data(), lines.size());
    Put(out, packed.data(), packed.size());
    return out;
}

std::vector<uint8_t> WriteDebugTail(const TDebugBlockContent& c) {
    std::vector<uint8_t> block;
    PutHead(block, c);
    std::vector<uint8_t> body = OptionsAndLines(c);
    Put(block, body.data(), body.size());
    AppendU32(block, static_cast<uint32_t>(block.size()));
    AppendU32(block, kDebugDataMagic);
    return block;
}
