// The call-stack builder: a range of raw stack memory scanned for return
// addresses whose bytes before them decode as a call, each call resolved to
// module, unit, class, procedure and line.
#pragma once

#include "Classes.h"

#include <cstdint>
#include <memory>
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

// Entries in the order found: one walk from the lowest stack address up, walks
// one after another.
using TVantorStackList = TObjectList<TVantorDebugInfo>;

// At most this much stack is scanned above the stack pointer.
constexpr uint32_t kMaxStackScan = 102400;

// Appends the entries of one stack range: the start address first (when not 0),
// then every slot from stackPointer up to stackTop whose value follows a call.
void BuildCallStack(TVantorStackList& list, uintptr_t startAddress, uintptr_t stackPointer,
                    uintptr_t stackTop, bool running, uint32_t threadId);
// A new list holding one walk.
std::unique_ptr<TVantorStackList> CreateCallStack(uintptr_t startAddress, uintptr_t stackPointer,
                                                  uintptr_t stackTop, bool running,
                                                  uint32_t threadId);

// Resolves one address: debug information first, then the module's exports.
void ResolveAddress(uintptr_t address, uint32_t threadId, bool running, TVantorDebugInfo& entry);
