#include "LineTableBuilder.h"

#include "LineTableWriter.h"

#include <algorithm>
#include <map>

namespace {

// Splits at "::" outside template brackets and parameter lists.
std::vector<std::string> Scopes(const std::string& name) {
    std::vector<std::string> parts;
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c == '<' || c == '(')
            ++depth;
        else if (c == '>' || c == ')')
            --depth;
        else if (depth == 0 && c == ':' && i + 1 < name.size() && name[i + 1] == ':') {
            parts.push_back(name.substr(start, i - start));
            start = i + 2;
            ++i;
        }
    }
    parts.push_back(name.substr(start));
    return parts;
}

std::string WithoutParameters(const std::string& name) {
    int depth = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '<')
            ++depth;
        else if (name[i] == '>')
            --depth;
        else if (name[i] == '(' && depth == 0)
            return name.substr(0, i);
    }
    return name;
}

} // namespace

std::string ProcedureNameOf(const TPeSymbol& symbol) {
    std::string demangled = DemangledSymbol(symbol.Name);
    if (demangled.empty()) // a C name: drop the i686 underscore
        return !symbol.Name.empty() && symbol.Name[0] == '_' ? symbol.Name.substr(1) : symbol.Name;
    std::vector<std::string> scopes = Scopes(WithoutParameters(demangled));
    std::string procedure = scopes.back();
    return scopes.size() >= 2 ? scopes[scopes.size() - 2] + "." + procedure : procedure;
}

std::string UnitNameOf(const std::string& file) {
    const std::string ext = ".cpp";
    if (file.size() > ext.size() && file.compare(file.size() - ext.size(), ext.size(), ext) == 0)
        return file.substr(0, file.size() - ext.size());
    return file;
}

std::vector<uint8_t> BuildLineTable(const TPeImage& image, const std::vector<TDwarfRow>& rows,
                                    const TNameContext& names, size_t* unitCount) {
    const uint32_t codeBase = image.ImageBase + 0x1000;
    std::map<uint32_t, std::string> functions; // absolute address -> procedure
    for (const TPeSymbol& s : image.Symbols)
        if (s.Function)
            functions.emplace(image.ImageBase + s.Rva, ProcedureNameOf(s));

    // Sequences, each sorted, with only the last row kept at one address.
    struct TUnitRows {
        std::string File;
        std::vector<TDwarfRow> Rows;
        uint32_t End;
    };
    std::vector<TUnitRows> units;
    std::vector<TDwarfRow> sequence;
    auto flush = [&](uint32_t end) {
        std::stable_sort(
            sequence.begin(), sequence.end(),
            [](const TDwarfRow& a, const TDwarfRow& b) { return a.Address < b.Address; });
        std::vector<TDwarfRow> unique;
        for (const TDwarfRow& r : sequence) {
            if (!unique.empty() && unique.back().Address == r.Address)
                unique.back() = r;
            else
                unique.push_back(r);
        }
        for (size_t i = 0; i < unique.size(); ++i) {
            const TDwarfRow& r = unique[i];
            if (r.Address < codeBase || r.Address >= end)
                continue;
            if (units.empty() || units.back().File != r.File || units.back().End != r.Address)
                units.push_back({r.File, {}, r.Address});
            units.back().Rows.push_back(r);
            units.back().End = i + 1 < unique.size() ? unique[i + 1].Address : end;
        }
        sequence.clear();
    };
    for (const TDwarfRow& r : rows) {
        if (r.EndSequence) {
            if (r.Address >= codeBase) // sequences of discarded code start at 0
                flush(r.Address);
            else
                sequence.clear();
        } else {
            sequence.push_back(r);
        }
    }
    std::sort(units.begin(), units.end(), [](const TUnitRows& a, const TUnitRows& b) {
        return a.Rows.front().Address < b.Rows.front().Address;
    });

    TLineTableWriter writer(names);
    for (const TUnitRows& u : units) {
        const TDwarfRow& first = u.Rows.front();
        writer.BeginUnit(UnitNameOf(u.File), first.Line, first.Address - codeBase,
                         u.End - first.Address);
        if (auto f = functions.find(first.Address); f != functions.end())
            writer.OpenProcedure(0, 0, f->second);
        for (size_t i = 1; i < u.Rows.size(); ++i) {
            const TDwarfRow& prev = u.Rows[i - 1];
            const TDwarfRow& row = u.Rows[i];
            int32_t lineStep = row.Line - prev.Line;
            uint32_t addressStep = row.Address - prev.Address;
            auto f = functions.find(row.Address);
            if (f != functions.end() && addressStep <= 0x10000 && lineStep >= -32768 &&
                lineStep <= 32767)
                writer.OpenProcedure(lineStep, addressStep, f->second);
            else
                writer.Record(lineStep, addressStep);
        }
    }
    if (unitCount)
        *unitCount = units.size();
    return writer.Finish();
}
