// Finding a module's debug block: the "VLDATA" resource first, then the tail of
// the module's file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
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
