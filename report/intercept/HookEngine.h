// The hooking engine: redirects calls inside the process by patching import
// address tables, the first bytes of a routine (with a trampoline that runs the
// replaced code), or a slot of a C++ virtual method table. Every patch is
// recorded and undone at shut-down, the last first.
#pragma once

#include "SysUtils.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class EHookError : public Exception {
public:
    using Exception::Exception;
};
class EProcNull : public EHookError {
public:
    explicit EProcNull(const std::string& name);
};
class EHookingError : public EHookError {
public:
    explicit EHookingError(const std::string& name);
};
class ESharedArea : public EHookError {
public:
    explicit ESharedArea(const std::string& moduleFileName);
};

// The engine's start-up and shut-down, each run as a section ("HookEngine.Init",
// "HookEngine.Done").
void HookEngineInitialization();
void HookEngineFinalization();

// Redirects target to replacement; the result behaves like the unpatched target.
// Hooking a target twice returns the same trampoline. Raises EProcNull,
// ESharedArea or EHookingError (naming name).
void* HookProcedure(void* target, void* replacement, const std::string& name);
// Puts the target's first bytes back; false when it was not hooked.
bool UnhookProcedure(void* target);

// Writes size bytes at address: page protection opened and restored, the
// instruction cache flushed.
void PatchMemory(void* address, const void* source, size_t size);
// A 5-byte relative jump at at to destination.
void WriteJump(void* at, const void* destination);
// The routine an import jump stub stands for, or the address itself.
void* ResolveImportThunk(void* address);

// Replaces every entry of the module's imports from libraryName that holds
// oldAddress by newAddress; recorded for the undo unless remove. Returns
// oldAddress when something was patched, else null; unless silent, a module
// without imports or without such an entry raises EHookingError (displayName).
void* PatchImports(HMODULE module, const std::string& libraryName, void* oldAddress, bool remove,
                   bool silent, const std::string& displayName, void* newAddress);
// The routine libraryName exports as procName (stored in exported whatever
// happens), redirected in the imports of each loaded module named.
bool HookImport(const std::vector<std::string>& moduleNames, const std::string& libraryName,
                bool silent, void*& exported, void* replacement, const std::string& procName);

// Replaces a virtual method slot; returns what the slot held (for a slot already
// hooked, the method saved then). Null before the engine started.
void* HookVirtualMethod(void** vtable, size_t slotIndex, void* newMethod);
// Puts the saved method back; false when the slot was not hooked.
bool RestoreVirtualMethod(void** vtable, size_t slotIndex);

// The symbol's address from the library's debug block, hooked under the name
// "SymbolID = <id>". Null when the symbol is unknown.
void* HookSymbolByID(uint8_t id, void* replacement);
// The same, falling back to what the loaded library exports as procedureName;
// without a replacement only the address is returned.
void* HookSymbolByID(uint8_t id, const char* libraryName, const char* procedureName,
                     void* replacement);
