// The call-stack builder on crafted stacks (call instructions assembled into
// executable memory, return addresses written into a stack of their own) and on
// the real stack of this thread.
#include "CallStack.h"
#include "ModuleList.h"
#include "WinHandles.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace {

// Memory owned by the test: code (filled with int3, which no call form matches)
// and a stack.
class TRegion {
public:
    TRegion(size_t size, DWORD protection, uint8_t fill)
        : size_(size), memory_(static_cast<uint8_t*>(
                           VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, protection))) {
        std::memset(memory_, fill, size);
    }
    ~TRegion() { VirtualFree(memory_, 0, MEM_RELEASE); }
    TRegion(const TRegion&) = delete;
    TRegion& operator=(const TRegion&) = delete;
    uint8_t* At(size_t offset) const { return memory_ + offset; }
    uintptr_t Address(size_t offset) const { return reinterpret_cast<uintptr_t>(memory_ + offset); }
    void Put(size_t offset, const std::vector<uint8_t>& bytes) const {
        std::memcpy(memory_ + offset, bytes.data(), bytes.size());
    }
    void Put32(size_t offset, uint32_t value) const { std::memcpy(memory_ + offset, &value, 4); }
    size_t Size() const { return size_; }

private:
    size_t size_;
    uint8_t* memory_;
};

// Scans a stack holding the values, one per slot; returns the entries' addresses.
std::vector<uintptr_t> Scan(const std::vector<uint32_t>& slots, uintptr_t start = 0) {
    TRegion stack(4096, PAGE_READWRITE, 0);
    for (size_t i = 0; i < slots.size(); ++i)
        stack.Put32(4 * i, slots[i]);
    auto list = CreateCallStack(start, stack.Address(0), stack.Address(4 * (slots.size() - 1)),
                                true, GetCurrentThreadId());
    std::vector<uintptr_t> addresses;
    for (size_t i = 0; i < list->Count(); ++i)
        addresses.push_back((*list)[i]->Address);
    return addresses;
}

uint32_t U32(uintptr_t address) {
    return static_cast<uint32_t>(address);
}

// Call sites in this program's code, each of a form other than the direct call.
__attribute__((noinline, noipa)) uintptr_t ReturnAddress() {
    return reinterpret_cast<uintptr_t>(__builtin_return_address(0));
}
uintptr_t (*volatile indirect)() = &ReturnAddress;

} // namespace

TEST(CallStack, EveryCallFormIsFound) {
    TRegion code(4096, PAGE_EXECUTE_READWRITE, 0xCC);
    TRegion pointer(4096, PAGE_READWRITE, 0);
    const uint32_t slot = U32(pointer.Address(0));
    struct {
        const char* what;
        std::vector<uint8_t> call;
        bool found;
    } const cases[] = {
        {"call eax", {0xFF, 0xD0}, true},
        {"call [ecx]", {0xFF, 0x11}, true},
        {"call [ebp+8]", {0xFF, 0x55, 0x08}, true},
        {"call [eax+disp32]", {0xFF, 0x90, 0x00, 0x01, 0x00, 0x00}, true},
        {"call [esp]", {0xFF, 0x14, 0x24}, true},
        {"call [esp+8]", {0xFF, 0x54, 0x24, 0x08}, true},
        {"call [esp+disp32]", {0xFF, 0x94, 0x24, 0x00, 0x01, 0x00, 0x00}, true},
        {"call [readable pointer]",
         {0xFF, 0x15, uint8_t(slot), uint8_t(slot >> 8), uint8_t(slot >> 16), uint8_t(slot >> 24)},
         true},
        {"call [unreadable pointer]", {0xFF, 0x15, 0x10, 0x00, 0x00, 0x00}, false},
        {"FF 54 where form 4 would be", {0xFF, 0x54, 0x08}, false},
    };
    size_t at = 16;
    for (const auto& c : cases) {
        code.Put(at, c.call);
        const uintptr_t returnAddress = code.Address(at + c.call.size());
        const std::vector<uintptr_t> found = Scan({0, U32(returnAddress), 0x12345678});
        if (c.found) {
            EXPECT_EQ(found, std::vector<uintptr_t>{code.Address(at)}) << c.what;
        } else {
            EXPECT_TRUE(found.empty()) << c.what;
        }
        at += 32;
    }
}

TEST(CallStack, DirectCallsGiveTheCalleeFirst) {
    TRegion code(4096, PAGE_EXECUTE_READWRITE, 0xCC);
    TRegion data(4096, PAGE_READWRITE, 0);
    auto callAt = [&](size_t at, uintptr_t target) {
        const int32_t displacement = static_cast<int32_t>(target - code.Address(at + 5));
        code.Put(at, {0xE8});
        std::memcpy(code.At(at + 1), &displacement, 4);
        return U32(code.Address(at + 5));
    };
    code.Put(0x400, {0x55, 0x89, 0xE5, 0x5D, 0xC3}); // a procedure
    code.Put(0x500, {0xE8, 0, 0, 0, 0});             // one that begins with a call
    // An import stub whose slot holds the procedure.
    data.Put32(0, U32(code.Address(0x400)));
    const uint32_t slot = U32(data.Address(0));
    code.Put(0x600, {0xFF, 0x25, uint8_t(slot), uint8_t(slot >> 8), uint8_t(slot >> 16),
                     uint8_t(slot >> 24), 0x90, 0x90});

    EXPECT_EQ(Scan({callAt(0x10, code.Address(0x400))}),
              (std::vector<uintptr_t>{code.Address(0x400), code.Address(0x10)}));
    EXPECT_EQ(Scan({callAt(0x30, code.Address(0x600))}),
              (std::vector<uintptr_t>{code.Address(0x400), code.Address(0x30)}))
        << "through the import stub to the routine itself";
    EXPECT_EQ(Scan({callAt(0x50, code.Address(0x500))}), std::vector<uintptr_t>{code.Address(0x50)})
        << "a callee that begins with a call is left out";
    EXPECT_TRUE(Scan({callAt(0x70, 0x10)}).empty()) << "an unreadable callee: nothing";
}

TEST(CallStack, StackRanges) {
    TRegion code(4096, PAGE_EXECUTE_READWRITE, 0xCC);
    code.Put(0x10, {0xFF, 0xD0});
    code.Put(0x20, {0xFF, 0xD1});
    TRegion stack(200 * 1024, PAGE_READWRITE, 0);
    // The last slot scanned lies kMaxStackScan bytes above the stack pointer.
    stack.Put32(kMaxStackScan, U32(code.Address(0x12)));
    stack.Put32(kMaxStackScan + 4, U32(code.Address(0x22)));
    auto list = CreateCallStack(0, stack.Address(0), stack.Address(stack.Size() - 4), true, 7);
    ASSERT_EQ(list->Count(), 1u);
    EXPECT_EQ((*list)[0]->Address, code.Address(0x10));
    EXPECT_EQ((*list)[0]->ThreadID, 7u);
    EXPECT_TRUE((*list)[0]->Running);

    // A stack pointer above the top: only the start address.
    list = CreateCallStack(code.Address(0x100), stack.Address(64), stack.Address(0), false, 7);
    ASSERT_EQ(list->Count(), 1u);
    EXPECT_EQ((*list)[0]->Address, code.Address(0x100));
    EXPECT_FALSE((*list)[0]->Running);

    // Walks append to one list.
    BuildCallStack(*list, 0, stack.Address(kMaxStackScan), stack.Address(kMaxStackScan + 8), true,
                   8);
    ASSERT_EQ(list->Count(), 3u);
    EXPECT_EQ((*list)[2]->Address, code.Address(0x20));
}

TEST(CallStack, DuplicatesOfOneModuleShowOnce) {
    const uint32_t first = U32(indirect());
    const uint32_t second = U32(indirect());
    const uint32_t third = U32(indirect());
    ASSERT_NE(first, second);
    struct {
        const char* what;
        std::vector<uint32_t> slots;
        std::vector<uint8_t> kinds;
    } const cases[] = {
        {"adjacent", {first, first}, {kNotResolved, kLineInfo}},
        {"one between", {first, second, first}, {kNotResolved, kLineInfo, kLineInfo}},
        {"two between",
         {first, second, third, first},
         {kLineInfo, kLineInfo, kLineInfo, kLineInfo}},
        // The second "second" hides the first, which then no longer counts.
        {"one between once the other is hidden",
         {first, second, second, first},
         {kNotResolved, kNotResolved, kLineInfo, kLineInfo}},
    };
    for (const auto& c : cases) {
        TRegion stack(4096, PAGE_READWRITE, 0);
        for (size_t i = 0; i < c.slots.size(); ++i)
            stack.Put32(4 * i, c.slots[i]);
        auto list =
            CreateCallStack(0, stack.Address(0), stack.Address(4 * (c.slots.size() - 1)), true, 1);
        std::vector<uint8_t> kinds;
        for (size_t i = 0; i < list->Count(); ++i)
            kinds.push_back((*list)[i]->Kind);
        EXPECT_EQ(kinds, c.kinds) << c.what;
    }
}

TEST(CallStack, DesignTimeKeepsOnlyResolvedEntriesOutsideTheLibrary) {
    TRegion code(4096, PAGE_EXECUTE_READWRITE, 0xCC);
    code.Put(0x10, {0xFF, 0xD0});
    const uint32_t here = U32(indirect()); // this program holds the library
    SetDesignTimeMode(true);
    EXPECT_TRUE(Scan({here, U32(code.Address(0x12))}).empty());
    const std::vector<uintptr_t> kept = Scan({here, U32(code.Address(0x12))}, here);
    SetDesignTimeMode(false);
    ASSERT_EQ(kept.size(), 2u) << "a walk that starts in the library keeps its entries";
    EXPECT_EQ(kept[0], here);
}

TEST(CallStack, ExportsResolveModulesWithoutDebugData) {
    VantorModules().Clear();
    TModuleHandle probe(LoadLibraryA((TestFolder() + "\\ModuleProbeZero.dll").c_str()));
    ASSERT_TRUE(probe);
    const auto framed = reinterpret_cast<uintptr_t>(GetProcAddress(probe.Get(), "ProbeFramed"));
    TVantorDebugInfo entry;
    ResolveAddress(framed + 3, 5, true, entry);
    EXPECT_EQ(entry.Kind, kExportName);
    EXPECT_EQ(entry.ProcedureName, "ProbeFramed");
    EXPECT_EQ(entry.UnitName, "");
    EXPECT_EQ(entry.Address, framed + 3);
    EXPECT_EQ(entry.ThreadID, 5u);
    ASSERT_NE(entry.Module, nullptr);
    EXPECT_EQ(entry.Module->Handle, probe.Get());

    // Code that no export covers: the module, nothing more.
    const uintptr_t text = reinterpret_cast<uintptr_t>(probe.Get()) + 0x1000;
    for (size_t i = 0; i < entry.Module->Exports.Count(); ++i) {
        const TVantorFunctionInfo& f = *entry.Module->Exports[i];
        ASSERT_FALSE(text >= f.Address && text <= f.Address + f.Size) << f.Name;
    }
    ResolveAddress(text, 5, true, entry);
    EXPECT_EQ(entry.Kind, kModuleOnly);
    EXPECT_EQ(entry.ProcedureName, "");
    EXPECT_EQ(entry.Line, 0);

    ResolveAddress(0x10, 5, true, entry);
    EXPECT_EQ(entry.Kind, kNotResolved);
    EXPECT_EQ(entry.Module, nullptr);
    VantorModules().Clear();
}

namespace {

volatile int chainDepth = 0;

__attribute__((noinline, noipa)) void ChainC(std::unique_ptr<TVantorStackList>& out) {
    uintptr_t stackPointer, stackBase;
    asm volatile("mov %%esp, %0" : "=r"(stackPointer));
    asm volatile("mov %%fs:4, %0" : "=r"(stackBase)); // the thread information block's StackBase
    out = CreateCallStack(0, stackPointer, stackBase, true, GetCurrentThreadId());
    chainDepth = chainDepth + 1;
}

__attribute__((noinline, noipa)) void ChainB(std::unique_ptr<TVantorStackList>& out) {
    ChainC(out); // ChainB calls ChainC
    chainDepth = chainDepth + 1;
}

__attribute__((noinline, noipa)) void ChainA(std::unique_ptr<TVantorStackList>& out) {
    ChainB(out); // ChainA calls ChainB
    chainDepth = chainDepth + 1;
}

} // namespace

TEST(CallStack, TheRealStackResolvesInOrder) {
    std::unique_ptr<TVantorStackList> list;
    ChainA(list); // the test calls ChainA
    ASSERT_TRUE(list);
    const std::string source = LUMARO_SOURCE_DIR "/tests/win32/CallStackTest.cpp";
    struct {
        const char* procedure;
        int line;
    } const expected[] = {
        {"ChainB", LineOf(source, "ChainC(out); // ChainB calls ChainC")},
        {"ChainA", LineOf(source, "ChainB(out); // ChainA calls ChainB")},
        {"TestBody", LineOf(source, "ChainA(list); // the test calls ChainA")},
    };
    size_t next = 0;
    for (size_t i = 0; i < list->Count() && next < std::size(expected); ++i) {
        const TVantorDebugInfo& e = *(*list)[i];
        if (e.Kind == kLineInfo && e.ProcedureName == expected[next].procedure &&
            e.Line == expected[next].line) {
            EXPECT_EQ(e.UnitName, "CallStackTest.cpp");
            EXPECT_TRUE(e.Running);
            EXPECT_EQ(e.ThreadID, GetCurrentThreadId());
            ++next;
        }
    }
    EXPECT_EQ(next, std::size(expected)) << "found in order up to " << next;
}
