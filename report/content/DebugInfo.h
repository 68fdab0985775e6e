// A module's debug data: finding its block (the "VLDATA" resource first, then
// the tail of the module's file), loading it into the module's record, resolving
// addresses to lines and symbol IDs to addresses.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The module's VLDATA resource when it begins with the marker.
bool ModuleDebugResource(HMODULE module, const uint8_t*& data, size_t& size);
// The block at the end of the module's file: the whole tail form, read from disk
// (the file opened read-only, sharing reading and writing).
bool ModuleDebugTail(HMODULE module, std::vector<uint8_t>& block);
// True when the module carries a block in either place.
bool HasDebugData(HMODULE module);

struct TDebugData;
class TVantorModuleOptions;
// Reads the module's block, the resource first and then the file's tail, loading
// its options; lines says whether the line table is wanted.
bool LoadModuleDebugBlock(HMODULE module, TVantorModuleOptions& options, bool lines,
                          TDebugData& data);

struct TVantorModuleInfo;
struct TVantorDebugInfo;

// Fills the record's DebugVersion, CompilationDate, options, password and line
// table from its block; without a block, version 505, no date and no line table.
// With lines false (the list is being completed) the line data is neither read
// nor asked a password for. True when a block was found.
bool LoadModuleDebugInfo(TVantorModuleInfo& module, bool lines);

// Resolves a code address through the line table of the module that holds it:
// Kind 4 with unit, class, procedure, line and line offset.
bool FindLineInfo(uintptr_t address, TVantorDebugInfo& entry);

// The address of a symbol from the symbol table of the module that holds the
// library, or null.
void* FindSymbolByID(uint8_t id);
// The same, falling back to what the loaded library of that name exports under
// the procedure name.
void* FindSymbolByID(uint8_t id, const char* libraryName, const char* procedureName);

// What the program's "VantorLog_PasswordRequestEvent" export answers: the
// password of a module's debug data. Until the handling flow registers its
// password handlers, none: the empty password.
void SetPasswordProvider(std::string (*provider)());
