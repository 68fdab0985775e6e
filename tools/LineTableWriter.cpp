#include "Classes.h"
#include "LineTableWriter.h"

#include "Cipher.h"
#include "NameCipher.h"
#include "SysUtils.h"

#include <algorithm>

namespace {

std::string EncodePart(const std::string& part, const TNameContext& c) {
    std::string out = part;
    if (c.Version < 500) {
        for (char& ch : out)
            ch = static_cast<char>(static_cast<uint8_t>(ch) ^ kNameMask);
    } else {
        CipherUsePassword(c.Password);
        CipherEncrypt(out.data(), out.data(), out.size());
    }
    return out;
}

} // namespace

std::vector<uint8_t> EncodeStoredName(const std::string& fullName, const TNameContext& c) {
    std::vector<std::string> parts;
    if (c.Version >= 502 && fullName.size() > 127) {
        // Parts cut at the dots; a part too long for its length byte loses its end,
        // not the parts after it ("Class.Procedure" keeps the procedure).
        for (size_t start = 0;;) {
            size_t dot = fullName.find('.', start);
            parts.push_back(fullName.substr(start, std::min(dot, fullName.size()) - start));
            if (parts.back().size() > 127)
                parts.back().resize(127);
            if (dot == std::string::npos)
                break;
            start = dot + 1;
        }
        // Within the reader's 255 characters: the first part gives way first.
        size_t total = parts.size() - 1;
        for (const std::string& part : parts)
            total += part.size();
        for (size_t i = 0; total > kMaxNameLength && i < parts.size(); ++i) {
            size_t cut = std::min(parts[i].size(), total - kMaxNameLength);
            parts[i].resize(parts[i].size() - cut);
            total -= cut;
        }
    } else {
        parts.push_back(fullName.substr(0, c.Version >= 502 ? 127 : kMaxNameLength));
    }
    std::vector<uint8_t> out;
    for (size_t i = 0; i < parts.size(); ++i) {
        bool continued = i + 1 < parts.size();
        out.push_back(static_cast<uint8_t>(parts[i].size() | (continued ? 0x80 : 0)));
        std::string stored = EncodePart(parts[i], c);
        out.insert(out.end(), stored.begin(), stored.end());
    }
    return out;
}

std::vector<uint8_t> TLineTableWriter::EncodeRecord(int32_t line, uint32_t address,
                                                    const std::string* procedure) const {
    std::vector<uint8_t> out;
    const bool opens = procedure != nullptr;
    if (!opens && line >= 1 && line <= 4 && address >= 1 && address <= 32) {
        out.push_back(static_cast<uint8_t>(((line - 1) << 6) | ((address - 1) << 1)));
    } else if (opens && line >= 1 && line <= 8 && address >= 1 && address <= 8) {
        out.push_back(static_cast<uint8_t>(((line - 1) << 5) | ((address - 1) << 2) | 1));
    } else if (line >= 1 && line <= 32 && address >= 1 && address <= 128) {
        AppendU16(out, static_cast<uint32_t>(((line - 1) << 11) | ((address - 1) << 4) |
                                             (opens ? 4 : 0) | 3));
    } else if (line >= -32768 && line <= 32767 && address <= 0xFFF &&
               !(address == 0xFFF && line == -1)) { // those are the escape's own bits
        uint32_t field = address == 0 ? 0xFFF : address - 1;
        uint32_t e = (field << 16) | (static_cast<uint32_t>(line - 1) & 0xFFFF);
        AppendU32(out, (e << 4) | (opens ? 4u : 0u) | 0xB);
    } else if (context_.Version >= 423 && line >= -32768 && line <= 32767 && address >= 1 &&
               address <= 0x10000) {
        AppendU32(out, (0x0FFEFFFEu << 4) | (opens ? 4u : 0u) | 0xB);
        AppendU16(out, static_cast<uint32_t>(line - 1) & 0xFFFF);
        AppendU16(out, address - 1);
    } else {
        throw EConvertError("a line step of " + std::to_string(line) + " and address step of " +
                            std::to_string(address) + " need more than one record");
    }
    if (opens) {
        std::vector<uint8_t> name = EncodeStoredName(*procedure, context_);
        out.insert(out.end(), name.begin(), name.end());
    }
    return out;
}

void TLineTableWriter::BeginUnit(const std::string& name, int32_t baseLine, uint32_t startOffset,
                                 uint32_t codeSize) {
    units_.push_back({name, baseLine, startOffset, codeSize, {}});
}

void TLineTableWriter::Append(const std::vector<uint8_t>& bytes) {
    if (units_.empty())
        throw EConvertError("a line record before the first unit");
    units_.back().Records.insert(units_.back().Records.end(), bytes.begin(), bytes.end());
}

void TLineTableWriter::Record(int32_t line, uint32_t address) {
    // Steps too large for one record go in pieces that keep the line where it is.
    const uint32_t maxAddress = context_.Version >= 423 ? 0x10000 : 0xFFF;
    while (address > maxAddress || line > 32767 || line < -32768) {
        int32_t lineStep = std::clamp(line, -32768, 32767);
        uint32_t addressStep = std::min(address, maxAddress);
        Append(EncodeRecord(lineStep, addressStep, nullptr));
        line -= lineStep;
        address -= addressStep;
    }
    Append(EncodeRecord(line, address, nullptr));
}

void TLineTableWriter::OpenProcedure(int32_t line, uint32_t address, const std::string& name) {
    Append(EncodeRecord(line, address, &name));
}

std::vector<uint8_t> TLineTableWriter::Finish() {
    std::vector<uint8_t> out;
    AppendU32(out, static_cast<uint32_t>(units_.size()));
    for (const TUnit& u : units_) {
        std::vector<uint8_t> name = EncodeStoredName(u.Name, context_);
        out.insert(out.end(), name.begin(), name.end());
        AppendU32(out, static_cast<uint32_t>(u.BaseLine));
        AppendU32(out, u.StartOffset);
        AppendU32(out, u.CodeSize);
        AppendU32(out, static_cast<uint32_t>(u.Records.size()));
        out.insert(out.end(), u.Records.begin(), u.Records.end());
    }
    return out;
}
