#include "HookEngine.h"

#include "Classes.h"
#include "DebugInfo.h"
#include "MemoryAccess.h"
#include "ResourceStream.h"
#include "SectionRunner.h"
#include "Trampoline.h"
#include "WinHandles.h"

#include <cstring>
#include <memory>

namespace {

const char kUnitName[] = "HookEngine";

// Outside the NT family the upper half of the address space is shared by every
// process and is never patched.
bool InSharedArea(const void* address) {
    return !IsNtPlatform() && reinterpret_cast<uintptr_t>(address) >= 0x80000000u;
}

std::string ModuleFileNameOf(const void* address) {
    char path[MAX_PATH] = {};
    HMODULE module = ModuleOfAddress(address);
    if (module)
        GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

// Executable memory for one trampoline.
class TExecutableBlock {
public:
    explicit TExecutableBlock(size_t size)
        : memory_(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE)) {
        if (!memory_)
            throw EHookError("no executable memory");
    }
    ~TExecutableBlock() { VirtualFree(memory_, 0, MEM_RELEASE); }
    TExecutableBlock(const TExecutableBlock&) = delete;
    TExecutableBlock& operator=(const TExecutableBlock&) = delete;
    uint8_t* Get() const { return static_cast<uint8_t*>(memory_); }

private:
    void* memory_;
};

struct TCodePatch {
    uint8_t* Target;
    std::unique_ptr<TExecutableBlock> Trampoline;
    size_t TrampolineSize;
    std::vector<uint8_t> Saved; // the target's first bytes
};

struct TImportPatch {
    HMODULE Module;
    std::string LibraryName;
    void* Replaced;
    void* Replacement;
};

struct TMethodPatch {
    void** VTable;
    void* Previous;
    size_t Slot;
};

// The method-patch list, guarded by its own critical section.
class THookedMethodsList {
public:
    THookedMethodsList() { InitializeCriticalSection(&lock_); }
    ~THookedMethodsList() {
        {
            TLock held(lock_);
            for (const TMethodPatch& p : entries_)
                WriteSlot(p.VTable + p.Slot, p.Previous);
            entries_.clear();
        }
        DeleteCriticalSection(&lock_);
    }
    THookedMethodsList(const THookedMethodsList&) = delete;
    THookedMethodsList& operator=(const THookedMethodsList&) = delete;

    class TLock {
    public:
        explicit TLock(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
        ~TLock() { LeaveCriticalSection(&lock_); }
        TLock(const TLock&) = delete;
        TLock& operator=(const TLock&) = delete;

    private:
        CRITICAL_SECTION& lock_;
    };

    CRITICAL_SECTION& Lock() { return lock_; }
    std::vector<TMethodPatch>& Entries() { return entries_; }

    static void WriteSlot(void** slot, void* method) { PatchMemory(slot, &method, sizeof method); }

private:
    CRITICAL_SECTION lock_;
    std::vector<TMethodPatch> entries_;
};

std::unique_ptr<std::vector<TCodePatch>> codePatches;
std::unique_ptr<std::vector<TImportPatch>> importPatches;
std::unique_ptr<THookedMethodsList> methodPatches;

TCodePatch* CodePatchOf(const void* target) {
    if (codePatches)
        for (TCodePatch& p : *codePatches)
            if (p.Target == target)
                return &p;
    return nullptr;
}

void* BuildTrampoline(uint8_t* target, void* replacement) {
    if (!codePatches)
        throw EHookError("the engine has not started");
    if (TCodePatch* existing = CodePatchOf(target))
        return existing->Trampoline->Get();
    // Whole instructions covering the jump; at most 15 bytes each.
    uint8_t head[32];
    size_t readable = sizeof head;
    while (readable > 5 && !IsReadable(target, readable))
        --readable;
    if (!IsReadable(target, 5))
        throw EHookError("the target is not readable");
    std::memcpy(head, target, readable);
    const size_t covered = CoveredLength(head, readable);
    if (covered < 5)
        throw EHookError("too little code to patch");

    TCodePatch patch;
    patch.Target = target;
    patch.TrampolineSize = TrampolineSize(head, covered);
    patch.Trampoline = std::make_unique<TExecutableBlock>(patch.TrampolineSize);
    patch.Saved.assign(head, head + covered);
    const std::vector<uint8_t> bytes = ::BuildTrampoline(
        head, covered, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(target)),
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(patch.Trampoline->Get())));
    std::memcpy(patch.Trampoline->Get(), bytes.data(), bytes.size());
    FlushInstructionCache(GetCurrentProcess(), patch.Trampoline->Get(), bytes.size());
    void* trampoline = patch.Trampoline->Get();
    codePatches->push_back(std::move(patch));
    try {
        WriteJump(target, replacement);
    } catch (...) {
        codePatches->pop_back(); // not in place: a second attempt must not find it
        throw;
    }
    return trampoline;
}

void Unpatch(TCodePatch& patch) {
    PatchMemory(patch.Target, patch.Saved.data(), patch.Saved.size());
}

void StartEngine() {
    codePatches = std::make_unique<std::vector<TCodePatch>>();
    importPatches = std::make_unique<std::vector<TImportPatch>>();
    methodPatches = std::make_unique<THookedMethodsList>();
}

void StopEngine() {
    if (importPatches) {
        for (const TImportPatch& p : *importPatches)
            PatchImports(p.Module, p.LibraryName, p.Replacement, true, true, "", p.Replaced);
        importPatches.reset();
    }
    methodPatches.reset(); // restores every slot it holds
    if (codePatches) {
        for (auto p = codePatches->rbegin(); p != codePatches->rend(); ++p)
            Unpatch(*p);
        codePatches.reset();
    }
}

// Outside the NT family an imported routine may be reached through a stub that
// pushes its address and jumps on: such entries match by the pushed value.
bool IsForwardingStub(const void* address, uint32_t& pushed) {
    const auto* code = static_cast<const uint8_t*>(address);
    if (!address || !IsReadable(code, 6) || code[0] != 0x68 || code[5] != 0xE9)
        return false;
    pushed = LoadU32(code + 1);
    return true;
}

} // namespace

EProcNull::EProcNull(const std::string& name)
    : EHookError("Cannot hook a null procedure (\"" + name + "\").") {}
EHookingError::EHookingError(const std::string& name)
    : EHookError("Cannot hook the procedure \"" + name + "\".") {}
ESharedArea::ESharedArea(const std::string& moduleFileName)
    : EHookError("Cannot hook the module \"" + moduleFileName +
                 "\" located into the shared-area.") {}

void HookEngineInitialization() {
    RunSection(StartEngine, std::string(kUnitName) + ".Init");
}

void HookEngineFinalization() {
    RunSection(StopEngine, std::string(kUnitName) + ".Done");
}

void PatchMemory(void* address, const void* source, size_t size) {
    DWORD previous = 0;
    if (!VirtualProtect(address, size, PAGE_EXECUTE_READWRITE, &previous))
        throw EHookError("cannot open the memory for writing");
    std::memcpy(address, source, size);
    DWORD ignored = 0;
    VirtualProtect(address, size, previous, &ignored);
    FlushInstructionCache(GetCurrentProcess(), address, size);
}

void WriteJump(void* at, const void* destination) {
    uint8_t jump[5];
    EncodeJump(jump, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(at)),
               static_cast<uint32_t>(reinterpret_cast<uintptr_t>(destination)));
    PatchMemory(at, jump, sizeof jump);
}

void* ResolveImportThunk(void* address) {
    const auto* code = static_cast<const uint8_t*>(address);
    if (!address || !IsReadable(code, 8) || !IsImportJumpStub(code))
        return address;
    void* const* slot = reinterpret_cast<void* const*>(static_cast<uintptr_t>(LoadU32(code + 2)));
    return IsReadable(slot, sizeof *slot) ? *slot : address;
}

void* HookProcedure(void* target, void* replacement, const std::string& name) {
    target = ResolveImportThunk(target);
    replacement = ResolveImportThunk(replacement);
    if (!target)
        throw EProcNull(name);
    if (InSharedArea(target))
        throw ESharedArea(ModuleFileNameOf(target));
    try {
        return BuildTrampoline(static_cast<uint8_t*>(target), replacement);
    } catch (...) {
        throw EHookingError(name);
    }
}

bool UnhookProcedure(void* target) {
    target = ResolveImportThunk(target);
    if (!codePatches)
        return false;
    for (auto p = codePatches->begin(); p != codePatches->end(); ++p) {
        if (p->Target == target) {
            Unpatch(*p);
            codePatches->erase(p);
            return true;
        }
    }
    return false;
}

void* PatchImports(HMODULE module, const std::string& libraryName, void* oldAddress, bool remove,
                   bool silent, const std::string& displayName, void* newAddress) {
    if (!oldAddress)
        throw EProcNull(displayName);
    if (InSharedArea(module))
        throw ESharedArea(ModuleFileNameOf(module));
    uint32_t pushed = 0;
    const bool byStub = !IsNtPlatform() && IsForwardingStub(oldAddress, pushed);

    const auto* base = reinterpret_cast<const uint8_t*>(module);
    uint32_t importRva = 0;
    if (base && IsReadable(base, 64) && LoadU16(base) == 0x5A4D && LoadU32(base + 60) != 0) {
        const uint8_t* pe = base + LoadU32(base + 60);
        if (IsReadable(pe, 248) && LoadU32(pe) == 0x4550)
            importRva = LoadU32(pe + 24 + 104); // data directory 1
    }
    if (importRva == 0) {
        if (!silent)
            throw EHookingError(displayName);
        return nullptr;
    }
    void* result = nullptr;
    for (const uint8_t* descriptor = base + importRva;
         IsReadable(descriptor, 20) && LoadU32(descriptor + 12) != 0; descriptor += 20) {
        const char* name = reinterpret_cast<const char*>(base + LoadU32(descriptor + 12));
        if (!IsReadable(name, 1) || lstrcmpiA(name, libraryName.c_str()) != 0)
            continue;
        for (void** entry =
                 reinterpret_cast<void**>(const_cast<uint8_t*>(base) + LoadU32(descriptor + 16));
             IsReadable(entry, sizeof *entry) && *entry; ++entry) {
            uint32_t entryPushed = 0;
            const bool matches =
                byStub ? IsForwardingStub(*entry, entryPushed) && entryPushed == pushed
                       : *entry == oldAddress;
            if (!matches)
                continue;
            PatchMemory(entry, &newAddress, sizeof newAddress);
            if (!remove && importPatches)
                importPatches->push_back({module, libraryName, oldAddress, newAddress});
            result = oldAddress;
        }
    }
    if (!result && !silent)
        throw EHookingError(displayName);
    return result;
}

bool HookImport(const std::vector<std::string>& moduleNames, const std::string& libraryName,
                bool silent, void*& exported, void* replacement, const std::string& procName) {
    HMODULE library = GetModuleHandleA(libraryName.c_str());
    exported =
        library ? reinterpret_cast<void*>(GetProcAddress(library, procName.c_str())) : nullptr;
    bool patched = false;
    for (const std::string& name : moduleNames) {
        HMODULE module = GetModuleHandleA(name.c_str());
        if (module && PatchImports(module, libraryName, exported, false, silent,
                                   libraryName + "." + procName, replacement))
            patched = true;
    }
    return patched;
}

void* HookVirtualMethod(void** vtable, size_t slotIndex, void* newMethod) {
    if (!methodPatches)
        return nullptr;
    void** slot = vtable + slotIndex;
    THookedMethodsList::TLock held(methodPatches->Lock());
    if (*slot == newMethod) {
        for (const TMethodPatch& p : methodPatches->Entries())
            if (p.VTable == vtable && p.Slot == slotIndex)
                return p.Previous;
        return nullptr;
    }
    void* previous = *slot;
    if (!ModuleOfAddress(slot))
        return previous; // a slot outside every loaded module stays as it is
    THookedMethodsList::WriteSlot(slot, newMethod);
    methodPatches->Entries().push_back({vtable, previous, slotIndex});
    return previous;
}

bool RestoreVirtualMethod(void** vtable, size_t slotIndex) {
    if (!methodPatches)
        return false;
    THookedMethodsList::TLock held(methodPatches->Lock());
    std::vector<TMethodPatch>& entries = methodPatches->Entries();
    for (auto p = entries.begin(); p != entries.end(); ++p) {
        if (p->VTable == vtable && p->Slot == slotIndex) {
            THookedMethodsList::WriteSlot(vtable + slotIndex, p->Previous);
            entries.erase(p);
            return true;
        }
    }
    return false;
}

void* HookSymbolByID(uint8_t id, void* replacement) {
    void* address = FindSymbolByID(id);
    return address ? HookProcedure(address, replacement, "SymbolID = " + std::to_string(id))
                   : nullptr;
}

void* HookSymbolByID(uint8_t id, const char* libraryName, const char* procedureName,
                     void* replacement) {
    void* address = FindSymbolByID(id, libraryName, procedureName);
    if (!address || !replacement)
        return address;
    return HookProcedure(address, replacement, "SymbolID = " + std::to_string(id));
}
