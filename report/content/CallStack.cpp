#include "CallStack.h"

#include "CallStackRules.h"
#include "DebugInfo.h"
#include "MemoryAccess.h"
#include "ModuleList.h"
#include "ResourceStream.h"
#include "Trampoline.h"

#include <cstring>

namespace {

uint32_t Read32(uintptr_t address) {
    return LoadU32(reinterpret_cast<const uint8_t*>(address));
}

bool Readable(uintptr_t address, size_t length) {
    return IsReadable(reinterpret_cast<const void*>(address), length);
}

void Append(TVantorStackList& list, uintptr_t address, uint32_t threadId, bool running) {
    auto entry = std::make_unique<TVantorDebugInfo>();
    ResolveAddress(address, threadId, running, *entry);
    list.Add(std::move(entry));
}

// The export whose range [address, address + size] holds the address.
const TVantorFunctionInfo* ExportHolding(const TVantorFunctionsList& exports, uint32_t address) {
    int64_t low = 0, high = static_cast<int64_t>(exports.Count()) - 1;
    while (low <= high) {
        const int64_t mid = (low + high) / 2;
        const TVantorFunctionInfo& f = *exports[static_cast<size_t>(mid)];
        const int64_t difference = address >= f.Address && address - f.Address <= f.Size
                                       ? 0
                                       : static_cast<int64_t>(f.Address) - address;
        if (difference == 0)
            return &f;
        if (difference < 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    return nullptr;
}

// The entries for one slot holding value: the call before it, and for a direct
// call the procedure it called.
void ExamineSlot(TVantorStackList& list, uint32_t value, uint32_t threadId, bool running) {
    const uintptr_t s = static_cast<uint32_t>(value - 7);
    if (!Readable(s, 7))
        return;
    uint8_t before[7];
    std::memcpy(before, reinterpret_cast<const void*>(s), 7);
    uint32_t offset = 0;
    const TCallForm form = MatchCallForm(
        before, [](uint32_t pointer) { return Readable(pointer, 4); }, offset);
    if (form == kNoCall)
        return;
    if (form == kCallDirect) {
        int32_t displacement;
        std::memcpy(&displacement, before + 3, 4);
        uintptr_t target = static_cast<uint32_t>(value + static_cast<uint32_t>(displacement));
        if (!Readable(target, 1))
            return;
        uint8_t stub[8];
        if (Readable(target, 8)) {
            std::memcpy(stub, reinterpret_cast<const void*>(target), 8);
            const uint32_t slot = Read32(target + 2);
            if (IsImportJumpStub(stub) && Readable(slot, 4))
                target = Read32(slot);
        }
        if (Readable(target, 5) && *reinterpret_cast<const uint8_t*>(target) != 0xE8)
            Append(list, target, threadId, running);
    }
    Append(list, s + offset, threadId, running);
}

bool Resolved(const TVantorDebugInfo& entry) {
    return entry.Kind >= kExportName && entry.Kind <= kLineInfo;
}

HMODULE ModuleHandleOf(const TVantorDebugInfo& entry) {
    return entry.Module ? entry.Module->Handle : nullptr;
}

void FilterNewEntries(TVantorStackList& list, size_t first, uintptr_t startAddress) {
    if (DesignTimeMode()) {
        const HMODULE library = LibraryModule();
        const bool startInLibrary =
            startAddress && ModuleOfAddress(reinterpret_cast<const void*>(startAddress)) == library;
        for (size_t i = list.Count(); i-- > first;) {
            const TVantorDebugInfo& e = *list[i];
            const bool keep = Resolved(e) && (startInLibrary || ModuleHandleOf(e) != library) &&
                              e.ProcedureName.find("HandleException") == std::string::npos;
            if (!keep)
                list.Delete(i);
        }
    }
    // Of two resolved entries of one module at one address (next to each other,
    // or with one such entry between), only the later shows.
    if (list.Count() < first + 2)
        return;
    for (size_t i = list.Count() - 1; i-- > first;) {
        TVantorDebugInfo& e = *list[i];
        if (!Resolved(e))
            continue;
        int compared = 0;
        for (size_t j = i + 1; j < list.Count() && compared < 2; ++j) {
            const TVantorDebugInfo& next = *list[j];
            if (!Resolved(next) || ModuleHandleOf(next) != ModuleHandleOf(e))
                continue;
            ++compared;
            if (next.Address == e.Address) {
                e.Kind = kNotResolved;
                break;
            }
        }
    }
}

} // namespace

void ResolveAddress(uintptr_t address, uint32_t threadId, bool running, TVantorDebugInfo& entry) {
    entry = TVantorDebugInfo();
    entry.Module = FindModuleByAddress(address);
    entry.Running = running;
    entry.ThreadID = threadId;
    if (FindLineInfo(address, entry))
        return;
    entry.Kind = kNotResolved;
    entry.Address = static_cast<uint32_t>(address);
    entry.Line = 0;
    if (!entry.Module)
        return;
    entry.Kind = kModuleOnly;
    if (const TVantorFunctionInfo* f =
            ExportHolding(entry.Module->Exports, static_cast<uint32_t>(address))) {
        TExportName name = SplitExportName(f->Name);
        if (name.Kind != kModuleOnly) {
            entry.Kind = name.Kind;
            entry.UnitName = name.UnitName;
            entry.ClassName = name.ClassName;
            entry.ProcedureName = name.ProcedureName;
        }
    }
}

void BuildCallStack(TVantorStackList& list, uintptr_t startAddress, uintptr_t stackPointer,
                    uintptr_t stackTop, bool running, uint32_t threadId) {
    const size_t first = list.Count();
    if (startAddress)
        Append(list, startAddress, threadId, running);
    if (stackPointer < stackTop && stackTop - stackPointer > kMaxStackScan)
        stackTop = stackPointer + kMaxStackScan;
    int budget = 0;
    for (uintptr_t p = stackPointer; p <= stackTop && p >= stackPointer; p += 4) {
        try {
            // Readability is asked once per 400 bytes of stack, not per slot.
            if (budget <= 0)
                budget = Readable(p, 400) ? 400 : Readable(p, 4) ? 4 : 0;
            if (budget > 0)
                ExamineSlot(list, Read32(p), threadId, running);
        } catch (...) {
            budget = 0; // a fault in one slot: test the next one afresh
        }
        budget -= 4;
    }
    FilterNewEntries(list, first, startAddress);
}

std::unique_ptr<TVantorStackList> CreateCallStack(uintptr_t startAddress, uintptr_t stackPointer,
                                                  uintptr_t stackTop, bool running,
                                                  uint32_t threadId) {
    auto list = std::make_unique<TVantorStackList>();
    BuildCallStack(*list, startAddress, stackPointer, stackTop, running, threadId);
    return list;
}
