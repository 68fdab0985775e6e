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

// Template functions demangle with their return type: "void EraseOne<T>".
std::string WithoutReturnType(const std::string& name) {
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '<' || name[i] == '(')
            ++depth;
        else if (name[i] == '>' || name[i] == ')')
            --depth;
        else if (name[i] == ' ' && depth == 0 && name.compare(start, i - start, "operator") != 0 &&
                 !(i >= 8 && name.compare(i - 8, 8, "operator") == 0))
            start = i + 1;
    }
    return name.substr(start);
}

} // namespace

std::string ProcedureNameOf(const TPeSymbol& symbol) {
    std::string demangled = DemangledSymbol(symbol.Name);
    if (demangled.empty()) { // a C name: drop the i686 underscore and clone suffixes
        std::string name = WithoutStdcallSuffix(symbol.Name);
        if (!name.empty() && name[0] == '_')
            name.erase(0, 1);
        return name.substr(0, name.find('.'));
    }
    // Code in an anonymous namespace belongs to no class.
    const std::string anonymous = "(anonymous namespace)::";
    for (size_t at; (at = demangled.find(anonymous)) != std::string::npos;)
        demangled.erase(at, anonymous.size());
    std::vector<std::string> scopes = Scopes(WithoutReturnType(WithoutParameters(demangled)));
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

    // The first line of each function, for procedures opened in the middle of one.
    std::map<uint32_t, int32_t> firstLines;
    for (const TUnitRows& u : units)
        for (const TDwarfRow& r : u.Rows)
            if (functions.count(r.Address))
                firstLines.emplace(r.Address, r.Line);

    // A procedure opens with a record of no address step, so that the stretch
    // before it, which the reader tests once the procedure has opened, is written
    // by a plain record and keeps the class of the procedure it belongs to.
    TLineTableWriter writer(names);
    for (const TUnitRows& u : units) {
        const TDwarfRow& first = u.Rows.front();
        writer.BeginUnit(UnitNameOf(u.File), first.Line, first.Address - codeBase,
                         u.End - first.Address);
        // A unit may begin inside a function (code taken from a header ends, the
        // function goes on): that function is the unit's first procedure, opened at
        // its own first line and stepped back to the unit's.
        auto container = functions.upper_bound(first.Address);
        if (container != functions.begin()) {
            --container;
            auto line = firstLines.find(container->first);
            int32_t step = line == firstLines.end() ? 0 : line->second - first.Line;
            writer.OpenProcedure(step, 0, container->second);
            if (step != 0)
                writer.Record(-step, 0);
        }
        // Rows and function starts in address order: a function may start between
        // two rows, and a unit's last stretch may hold more functions.
        uint32_t at = first.Address;
        int32_t line = first.Line;
        auto next = functions.upper_bound(first.Address);
        auto openUpTo = [&](uint32_t end) {
            for (; next != functions.end() && next->first < end; ++next) {
                writer.Record(0, next->first - at);
                writer.OpenProcedure(0, 0, next->second);
                at = next->first;
            }
        };
        for (size_t i = 1; i < u.Rows.size(); ++i) {
            const TDwarfRow& row = u.Rows[i];
            openUpTo(row.Address);
            writer.Record(row.Line - line, row.Address - at);
            line = row.Line;
            at = row.Address;
            if (next != functions.end() && next->first == row.Address)
                writer.OpenProcedure(0, 0, (next++)->second);
        }
        openUpTo(u.End);
    }
    if (unitCount)
        *unitCount = units.size();
    return writer.Finish();
}
