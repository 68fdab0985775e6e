// A call-stack entry: a code address and how far it was resolved.
#pragma once

#include <cstdint>
#include <string>

struct TVantorModuleInfo;

enum TVantorDebugInfoKind : uint8_t {
    kNotResolved = 0,    // no known module, or suppressed as a duplicate
    kModuleOnly = 1,     // module known, no symbol
    kExportName = 2,     // an export name without unit
    kExportWithUnit = 3, // an export name that carries a unit
    kLineInfo = 4,       // symbol and line from debug information
};

struct TVantorDebugInfo {
    uint8_t Kind = kNotResolved;
    TVantorModuleInfo* Module = nullptr; // owned by the module list
    uint32_t ThreadID = 0;
    bool Running = false; // on the thread's live stack (not a creation stack)
    uint32_t Address = 0;
    std::string UnitName;
    std::string ClassName;
    std::string ProcedureName;
    int32_t Line = 0;
    int32_t LineOffset = 0; // from the procedure's first line; never negative
};
