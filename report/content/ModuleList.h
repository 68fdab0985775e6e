// The module list: one record per module of the process that a report has
// needed, with its file facts, exports, kind, debug data and options.
#pragma once

#include "Classes.h"
#include "VantorLogOptionsEx.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

// Reads in place from memory it does not own (a module's image), with no end
// of its own; the guarded read touches nothing that is not readable.
class THModuleStream : public TCustomMemoryStream {
public:
    explicit THModuleStream(const void* start);
    // Reads count bytes at the position, or nothing (false) when any of them is
    // unreadable.
    bool GuardedRead(void* buffer, size_t count);
    // The same at an offset from the start; the position is left after the bytes.
    bool GuardedReadAt(uint32_t offset, void* buffer, size_t count);
};

// An exported routine: its name, address and estimated length.
struct TVantorFunctionInfo {
    std::string Name;
    uint32_t Address = 0;
    uint32_t Size = 0;
};
using TVantorFunctionsList = TObjectList<TVantorFunctionInfo>;

enum TVantorModuleKind : uint8_t {
    kModuleKindUnknown = 0, // not determined (made while the list was completed)
    kModuleKindProgram = 1,
    kModuleKindRuntimePackage = 2,
    kModuleKindLibrary = 3,
};

struct TVantorModuleInfo {
    HMODULE Handle = nullptr;
    std::string FileName;
    std::string Description;
    std::string Version;
    uint32_t Size = 0;
    TVantorFunctionsList Exports; // sorted by address
    uint8_t Kind = kModuleKindUnknown;
    uint16_t DebugVersion = 505;
    double CompilationDate = 0;
    std::unique_ptr<TVantorModuleOptionsEx> Options;
    std::unique_ptr<TMemoryStream> DebugStream; // the line table, when loaded
    double FileTime = 0;                        // last write, days since 1899-12-30 (UTC)
    std::string ModulePassword;
    bool NamesReadable = true;
};
using TVantorModulesList = TObjectList<TVantorModuleInfo>;

// The process's one list.
TVantorModulesList& VantorModules();

// The record of a module, made the first time it is asked for (a record made
// while the list was completed is made again, in full). Null for a handle that is
// no loaded module.
TVantorModuleInfo* FindModule(HMODULE module);
// The record of the module that holds an address, or null.
TVantorModuleInfo* FindModuleByAddress(uintptr_t address);
// Drops records of unloaded modules, adds one for every loaded module (without
// exports or line data), and sorts the list by handle.
void CompleteModuleList();
// Drops every record whose file was written since the record was made.
void DropChangedModules();
// The folder of the module's file, without its trailing "\".
std::string ModuleFolder(const TVantorModuleInfo& module);
