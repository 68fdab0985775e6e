// The hooking engine on routines assembled into executable memory, on compiled
// functions, on a test library's imports and on C++ virtual method tables.
#include "DebugInfo.h"
#include "Forms.h"
#include "HookEngine.h"
#include "WinHandles.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The engine runs for each test and is shut down after it, undoing what is left.
class HookEngine : public ::testing::Test {
protected:
    void SetUp() override { HookEngineInitialization(); }
    void TearDown() override { HookEngineFinalization(); }
};

// A routine assembled into executable memory.
class TAssembled {
public:
    explicit TAssembled(const std::vector<uint8_t>& code)
        : memory_(static_cast<uint8_t*>(
              VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE))),
          code_(code) {
        std::memcpy(memory_, code.data(), code.size());
    }
    ~TAssembled() { VirtualFree(memory_, 0, MEM_RELEASE); }
    TAssembled(const TAssembled&) = delete;
    TAssembled& operator=(const TAssembled&) = delete;
    uint8_t* At(size_t offset = 0) const { return memory_ + offset; }
    bool Unchanged() const { return std::memcmp(memory_, code_.data(), code_.size()) == 0; }

private:
    uint8_t* memory_;
    std::vector<uint8_t> code_;
};

using TIntRoutine = int (*)(int);
TIntRoutine original = nullptr; // the trampoline the replacements call

int PlusThousand(int x) {
    return original(x) + 1000;
}

__attribute__((noinline, noipa)) int Compiled(int a) {
    int sum = 0;
    for (int i = 0; i < a; ++i)
        sum += i * a;
    return sum;
}

__attribute__((noinline, noipa)) int CallsCompiled(int a) {
    return Compiled(a) + 1;
}

} // namespace

TEST_F(HookEngine, AssembledRoutinesBehaveThroughTheirTrampolines) {
    struct {
        const char* what;
        std::vector<uint8_t> code;
        int argument, result;
    } const cases[] = {
        // push ebp; mov ebp, esp; mov eax, [ebp+8]; add eax, 7; pop ebp; ret
        {"a prologue of six bytes",
         {0x55, 0x89, 0xE5, 0x8B, 0x45, 0x08, 0x83, 0xC0, 0x07, 0x5D, 0xC3},
         5,
         12},
        // mov ecx, [esp+4]; jecxz +6 (out of the copy); mov eax, 1; ret; mov eax, 2; ret
        {"a short jump out of the copy, taken",
         {0x8B, 0x4C, 0x24, 0x04, 0xE3, 0x06, 0xB8, 1, 0, 0, 0, 0xC3, 0xB8, 2, 0, 0, 0, 0xC3},
         0,
         2},
        {"a short jump out of the copy, not taken",
         {0x8B, 0x4C, 0x24, 0x04, 0xE3, 0x06, 0xB8, 1, 0, 0, 0, 0xC3, 0xB8, 2, 0, 0, 0, 0xC3},
         3,
         1},
        // call +4 (to mov eax, 41; ret); add eax, 1; ret
        {"a relative call first",
         {0xE8, 0x04, 0, 0, 0, 0x83, 0xC0, 0x01, 0xC3, 0xB8, 41, 0, 0, 0, 0xC3},
         0,
         42},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TAssembled routine(c.code);
        auto call = reinterpret_cast<TIntRoutine>(routine.At());
        ASSERT_EQ(call(c.argument), c.result);
        original = reinterpret_cast<TIntRoutine>(
            HookProcedure(routine.At(), reinterpret_cast<void*>(&PlusThousand), c.what));
        ASSERT_NE(original, nullptr);
        EXPECT_EQ(routine.At()[0], 0xE9) << "a jump at the target";
        EXPECT_EQ(call(c.argument), c.result + 1000) << "callers reach the replacement";
        EXPECT_EQ(original(c.argument), c.result) << "the trampoline behaves like the original";
        std::vector<uint8_t> patched(routine.At(), routine.At() + c.code.size());
        EXPECT_EQ(HookProcedure(routine.At(), reinterpret_cast<void*>(&PlusThousand), c.what),
                  reinterpret_cast<void*>(original))
            << "hooked twice: the same trampoline";
        EXPECT_EQ(std::memcmp(patched.data(), routine.At(), patched.size()), 0)
            << "and no second patch";
        EXPECT_TRUE(UnhookProcedure(routine.At()));
        EXPECT_TRUE(routine.Unchanged());
        EXPECT_EQ(call(c.argument), c.result);
        EXPECT_FALSE(UnhookProcedure(routine.At())) << "nothing left to remove";
    }
}

TEST_F(HookEngine, ACompiledFunctionIsRedirectedAndRestored) {
    auto* target = reinterpret_cast<uint8_t*>(&Compiled);
    const std::vector<uint8_t> before(target, target + 16);
    const int expected = Compiled(6);
    original = reinterpret_cast<TIntRoutine>(HookProcedure(
        reinterpret_cast<void*>(&Compiled), reinterpret_cast<void*>(&PlusThousand), "Compiled"));
    EXPECT_EQ(CallsCompiled(6), expected + 1000 + 1);
    EXPECT_EQ(original(6), expected);
    ASSERT_TRUE(UnhookProcedure(reinterpret_cast<void*>(&Compiled)));
    EXPECT_EQ(std::memcmp(before.data(), target, before.size()), 0) << "every byte back";
    EXPECT_EQ(CallsCompiled(6), expected + 1);
}

TEST_F(HookEngine, ShutDownUndoesCodePatches) {
    TAssembled routine({0x55, 0x89, 0xE5, 0x8B, 0x45, 0x08, 0x83, 0xC0, 0x07, 0x5D, 0xC3});
    original = reinterpret_cast<TIntRoutine>(
        HookProcedure(routine.At(), reinterpret_cast<void*>(&PlusThousand), "assembled"));
    HookEngineFinalization();
    EXPECT_TRUE(routine.Unchanged());
    HookEngineInitialization();
}

TEST_F(HookEngine, ErrorsNameTheProcedure) {
    try {
        HookProcedure(nullptr, reinterpret_cast<void*>(&PlusThousand), "Nothing");
        FAIL() << "a null target";
    } catch (const EProcNull& e) {
        EXPECT_STREQ(e.what(), "Cannot hook a null procedure (\"Nothing\").");
    }
    EXPECT_STREQ(
        ESharedArea("C:\\windows\\system\\x.dll").what(),
        "Cannot hook the module \"C:\\windows\\system\\x.dll\" located into the shared-area.");

    // A target whose first bytes cannot be written: no patch, and none recorded.
    // (a view of a mapping that allows no writing: its protection cannot be opened).
    TKernelHandle mapping(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_EXECUTE_READ, 0, 4096, nullptr));
    ASSERT_TRUE(mapping);
    TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ | FILE_MAP_EXECUTE, 0, 0, 0));
    ASSERT_TRUE(view);
    EXPECT_THROW(HookProcedure(view.Get(), reinterpret_cast<void*>(&PlusThousand), "zeros"),
                 EHookingError)
        << "00 00 decodes, so only the write can fail";
    EXPECT_FALSE(UnhookProcedure(view.Get()));

    HookEngineFinalization(); // not started: building the trampoline fails
    try {
        HookProcedure(reinterpret_cast<void*>(&Compiled), reinterpret_cast<void*>(&PlusThousand),
                      "Compiled");
        FAIL() << "the engine is not running";
    } catch (const EHookingError& e) {
        EXPECT_STREQ(e.what(), "Cannot hook the procedure \"Compiled\".");
    }
    HookEngineInitialization();
}

namespace {

DWORD WINAPI FakeTicks() {
    return 4242;
}

int FakeAnswer(int) {
    return -1;
}

bool handleExceptionReplaced = false;
__attribute__((thiscall)) void ReplacedHandleException(TApplication*, TObject*) {
    handleExceptionReplaced = true;
}

} // namespace

TEST_F(HookEngine, ImportPatchesRedirectAndAreUndone) {
    TModuleHandle probe(LoadLibraryA((TestFolder() + "\\ModuleProbe.dll").c_str()));
    ASSERT_TRUE(probe);
    using TTicks = DWORD (*)();
    auto probeTicks = reinterpret_cast<TTicks>(
        reinterpret_cast<void*>(GetProcAddress(probe.Get(), "ProbeTicks")));
    ASSERT_NE(probeTicks, nullptr);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    void* ticks = reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount"));

    void* exported = nullptr;
    ASSERT_TRUE(HookImport({"ModuleProbe.dll"}, "kernel32.dll", false, exported,
                           reinterpret_cast<void*>(&FakeTicks), "GetTickCount"));
    EXPECT_EQ(exported, ticks);
    EXPECT_EQ(probeTicks(), 4242u);
    EXPECT_NE(GetTickCount(), 4242u) << "only the library's imports";

    // A routine the library does not import: silent gives none, loud raises.
    void* beep = reinterpret_cast<void*>(GetProcAddress(kernel, "Beep"));
    EXPECT_EQ(PatchImports(probe.Get(), "kernel32.dll", beep, false, true, "kernel32.Beep",
                           reinterpret_cast<void*>(&FakeTicks)),
              nullptr);
    try {
        PatchImports(probe.Get(), "kernel32.dll", beep, false, false, "kernel32.Beep",
                     reinterpret_cast<void*>(&FakeTicks));
        FAIL() << "nothing to patch";
    } catch (const EHookingError& e) {
        EXPECT_STREQ(e.what(), "Cannot hook the procedure \"kernel32.Beep\".");
    }
    EXPECT_THROW(PatchImports(probe.Get(), "kernel32.dll", nullptr, false, true, "none",
                              reinterpret_cast<void*>(&FakeTicks)),
                 EProcNull);
    HookEngineFinalization();
    EXPECT_NE(probeTicks(), 4242u) << "shut-down puts the import back";
    HookEngineInitialization();
}

TEST_F(HookEngine, SymbolsAreHookedByTheirID) {
    void* handleException = FindSymbolByID(0);
    ASSERT_NE(handleException, nullptr);
    void* trampoline = HookSymbolByID(0, reinterpret_cast<void*>(&ReplacedHandleException));
    ASSERT_NE(trampoline, nullptr);
    Application->HandleException(nullptr);
    EXPECT_TRUE(handleExceptionReplaced);
    EXPECT_TRUE(UnhookProcedure(handleException));
    EXPECT_EQ(HookSymbolByID(7, reinterpret_cast<void*>(&FakeAnswer)), nullptr)
        << "an ID the table lacks";

    // The variant that falls back to a library's export.
    TModuleHandle probe(LoadLibraryA((TestFolder() + "\\ModuleProbe.dll").c_str()));
    ASSERT_TRUE(probe);
    auto answer = reinterpret_cast<TIntRoutine>(
        reinterpret_cast<void*>(GetProcAddress(probe.Get(), "ProbeAnswer")));
    EXPECT_EQ(HookSymbolByID(7, "ModuleProbe.dll", "ProbeAnswer", nullptr),
              reinterpret_cast<void*>(answer))
        << "without a replacement, only the address";
    EXPECT_EQ(answer(1), 48);
    ASSERT_NE(
        HookSymbolByID(7, "ModuleProbe.dll", "ProbeAnswer", reinterpret_cast<void*>(&FakeAnswer)),
        nullptr);
    EXPECT_EQ(answer(1), -1);
    EXPECT_TRUE(UnhookProcedure(reinterpret_cast<void*>(answer)));
    EXPECT_EQ(answer(1), 48);
}

// Outside an anonymous namespace: other units could derive from these, so the
// compiler cannot call the method directly instead of through its slot.
class TCounter {
public:
    virtual int Value() const { return 1; }
    virtual ~TCounter() = default;
};

class TOther {
public:
    virtual int Value() const { return 99; }
    virtual ~TOther() = default;
};

namespace {

__attribute__((noinline, noipa)) int ValueOf(const TCounter* counter) {
    return counter->Value();
}

void** VTableOf(const void* object) {
    return *static_cast<void** const*>(object);
}

} // namespace

TEST_F(HookEngine, VirtualMethodSlotsAreReplacedAndRestored) {
    TCounter counter;
    TOther other;
    void** vtable = VTableOf(&counter);
    void* otherValue = VTableOf(&other)[0];
    void* previous = vtable[0];
    EXPECT_EQ(HookVirtualMethod(vtable, 0, otherValue), previous);
    EXPECT_EQ(ValueOf(&counter), 99);
    EXPECT_EQ(HookVirtualMethod(vtable, 0, otherValue), previous)
        << "hooked twice: the method saved the first time";
    EXPECT_TRUE(RestoreVirtualMethod(vtable, 0));
    EXPECT_EQ(vtable[0], previous);
    EXPECT_EQ(ValueOf(&counter), 1);
    EXPECT_FALSE(RestoreVirtualMethod(vtable, 0));

    // Shut-down restores every slot still replaced.
    HookVirtualMethod(vtable, 0, otherValue);
    HookEngineFinalization();
    EXPECT_EQ(ValueOf(&counter), 1);
    EXPECT_EQ(HookVirtualMethod(vtable, 0, otherValue), nullptr) << "no list before start-up";
    HookEngineInitialization();
}
