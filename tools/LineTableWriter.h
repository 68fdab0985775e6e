// Writes the line table of a module's debug data: units, line records in their
// shortest form, and stored names enciphered (or masked before version 500).
// The writer tool's side; the library only reads.
#pragma once

#include "LineTable.h"

#include <cstdint>
#include <string>
#include <vector>

// A stored name: from version 502 on a name longer than 127 characters is
// written as continued parts cut at its dots; a part longer than 127 loses its
// end, and the whole stays within 255 characters.
std::vector<uint8_t> EncodeStoredName(const std::string& name, const TNameContext& context);

class TLineTableWriter {
public:
    explicit TLineTableWriter(const TNameContext& context) : context_(context) {}

    void BeginUnit(const std::string& name, int32_t baseLine, uint32_t startOffset,
                   uint32_t codeSize);
    // Advances line and address; a step that no form holds is split over records.
    void Record(int32_t lineStep, uint32_t addressStep);
    void OpenProcedure(int32_t lineStep, uint32_t addressStep, const std::string& name);
    // The unit count and the units, as the N bytes of a line table.
    std::vector<uint8_t> Finish();

    // One record's bytes, as the writer would choose them (for tests and tools).
    std::vector<uint8_t> EncodeRecord(int32_t lineStep, uint32_t addressStep,
                                      const std::string* procedure) const;

private:
    struct TUnit {
        std::string Name;
        int32_t BaseLine;
        uint32_t StartOffset, CodeSize;
        std::vector<uint8_t> Records;
    };
    void Append(const std::vector<uint8_t>& bytes);

    TNameContext context_;
    std::vector<TUnit> units_;
};
