// The line table of a module's debug data: units with their code ranges and
// compact line records, and the stored names in it. Decoding only; the writer
// tool encodes. Portable.
#pragma once

#include "Classes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Every debug block starts (resource) or ends (file tail) with this marker.
constexpr uint32_t kDebugDataMagic = 0x000FAB10;
// Stored names before version 500 are XORed with this byte.
constexpr uint8_t kNameMask = 0x3D;
// Names are cut to this length.
constexpr size_t kMaxNameLength = 255;
// The source-file extension appended to unit names without one.
extern const char kSourceExtension[];

// How the names of one module are stored.
struct TNameContext {
    uint16_t Version = 505;
    bool NamesReadable = true;
    std::string Password; // the module's; empty when none was given
};

// Reads a stored name (a length byte and the bytes; continued from version 502 on)
// and undoes its masking or cipher. False when the data ends inside it.
bool ReadStoredName(TByteReader& reader, const TNameContext& context, std::string& name);

// One step of the line records.
struct TLineRecord {
    int32_t LineStep = 0;
    uint32_t AddressStep = 0;
    bool OpensProcedure = false;
    std::string ProcedureName; // the stored name as read, when it opens one
};
// Decodes one record; false when the data ends inside it.
bool ReadLineRecord(TByteReader& reader, const TNameContext& context, TLineRecord& record);

// What an address resolves to.
struct TLineInfo {
    uint32_t Address = 0;
    std::string UnitName;
    std::string ClassName;
    std::string ProcedureName;
    int32_t Line = 0;
    int32_t LineOffset = 0;
};

struct TLineLookup {
    TNameContext Names;
    uint32_t ModuleBase = 0; // offsets are relative to ModuleBase + 0x1000
    // Reads code bytes of the module for the prologue test; false when unreadable.
    std::function<bool(uint32_t address, uint8_t* bytes, size_t count)> ReadCode;
};

// Looks an address up in the N bytes of a line table. False when no unit holds it
// or the table is malformed: every count, length and name is checked against the
// bytes that are there.
bool FindLineInfo(const uint8_t* table, size_t size, const TLineLookup& lookup, uint32_t address,
                  TLineInfo& info);

// The class/procedure split of a procedure name: a leading "." keeps the
// remembered class; otherwise the name is cut at its first "."; a leading "@"
// of the procedure becomes "_".
void SplitProcedureName(const std::string& name, const std::string& rememberedClass,
                        std::string& className, std::string& procedureName);
