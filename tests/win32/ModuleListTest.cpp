// The module list on real modules: this program, the system's libraries and two
// libraries the build makes for these tests (tests/win32/probe).
#include "CallStack.h"
#include "DebugInfo.h"
#include "Forms.h"
#include "ModuleList.h"
#include "WinHandles.h"

#include "TestFiles.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cstring>
#include <fstream>
#include <set>

namespace {

const TVantorFunctionInfo* ExportNamed(const TVantorModuleInfo& module, const std::string& name) {
    for (size_t i = 0; i < module.Exports.Count(); ++i)
        if (module.Exports[i]->Name == name)
            return module.Exports[i];
    return nullptr;
}

// Forgets the records, so the next lookup reads the module again.
void ForgetModules() {
    VantorModules().Clear();
}

// A copy of a file under a new name, with a chosen last-write time.
void CopyWithTime(const std::string& from, const std::string& to, int hoursAgo) {
    ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << " -> " << to;
    TFileHandle file(CreateFileA(to.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<ULONGLONG>(hoursAgo) * 36000000000ull;
    FILETIME written{t.LowPart, t.HighPart};
    ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &written));
}

__attribute__((noinline)) int ResolvedHere(int x) {
    return x + 1; // a line of this file that the test program's block knows
}

} // namespace

TEST(ModuleList, LibraryWithVersionExportsAndDebugData) {
    ForgetModules();
    const std::string path = TestFolder() + "\\ModuleProbe.dll";
    TModuleHandle probe(LoadLibraryA(path.c_str()));
    ASSERT_TRUE(probe);
    TVantorModuleInfo* module = FindModule(probe.Get());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(FindModule(probe.Get()), module) << "one record per module";
    EXPECT_EQ(module->Handle, probe.Get());
    EXPECT_STRCASEEQ(module->FileName.c_str(), path.c_str());
    EXPECT_EQ(module->Description, "VantorLog module probe");
    EXPECT_EQ(module->Version, "1.2.3.4");
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(module->Size, data.nFileSizeLow);
    EXPECT_EQ(module->Kind, kModuleKindLibrary);
    EXPECT_STRCASEEQ(ModuleFolder(*module).c_str(), TestFolder().c_str());

    // Exports sorted by address, with the estimated routine lengths.
    ASSERT_EQ(module->Exports.Count(), 6u);
    for (size_t i = 1; i < module->Exports.Count(); ++i)
        EXPECT_LT(module->Exports[i - 1]->Address, module->Exports[i]->Address);
    const TVantorFunctionInfo* framed = ExportNamed(*module, "ProbeFramed");
    const TVantorFunctionInfo* plain = ExportNamed(*module, "ProbePlain");
    ASSERT_TRUE(framed && plain);
    EXPECT_EQ(framed->Address,
              reinterpret_cast<uintptr_t>(GetProcAddress(probe.Get(), "ProbeFramed")));
    EXPECT_EQ(framed->Size, 9u) << "up to pop ebp; ret, past the C3 bytes of its immediate";
    EXPECT_EQ(plain->Size, 7u);

    // Its own block: version, date, options, and a line table.
    EXPECT_EQ(module->DebugVersion, 505);
    EXPECT_GT(module->CompilationDate, 46000.0);
    EXPECT_EQ(module->Options->MailSubject(), "Probe library report");
    EXPECT_NE(module->DebugStream, nullptr);
}

TEST(ModuleList, VersionZeroRuntimePackageWithoutDebugData) {
    ForgetModules();
    TModuleHandle probe(LoadLibraryA((TestFolder() + "\\ModuleProbeZero.dll").c_str()));
    ASSERT_TRUE(probe);
    TVantorModuleInfo* module = FindModule(probe.Get());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->Version, "") << "0.0.0.0 counts as no version";
    EXPECT_EQ(module->Description, "");
    EXPECT_EQ(module->Kind, kModuleKindRuntimePackage);
    EXPECT_FALSE(HasDebugData(probe.Get()));
    EXPECT_EQ(module->DebugVersion, 505);
    EXPECT_EQ(module->CompilationDate, 0.0);
    EXPECT_EQ(module->DebugStream, nullptr);
    TVantorDebugInfo entry;
    EXPECT_FALSE(FindLineInfo(
        reinterpret_cast<uintptr_t>(GetProcAddress(probe.Get(), "ProbeAnswer")), entry))
        << "no line table: the module stays passive";
}

TEST(ModuleList, TheProgramHasNoExportList) {
    ForgetModules();
    HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(GetProcAddress(program, "VantorLog_PasswordRequestEvent"), nullptr)
        << "the program does export something";
    TVantorModuleInfo* module = FindModule(program);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->Kind, kModuleKindProgram);
    EXPECT_EQ(module->Exports.Count(), 0u);
    EXPECT_EQ(FindModule(reinterpret_cast<HMODULE>(0x10)), nullptr) << "not a loaded module";
}

TEST(ModuleList, AnExportBeforeTheCodeStartHasSizeOne) {
    ForgetModules();
    // A copy of the probe whose code range is said to begin at ProbePlain, so
    // that ProbeFramed lies before it.
    uint32_t plainRva = 0;
    {
        TModuleHandle probe(LoadLibraryA((TestFolder() + "\\ModuleProbe.dll").c_str()));
        ASSERT_TRUE(probe);
        plainRva = static_cast<uint32_t>(
            reinterpret_cast<uintptr_t>(GetProcAddress(probe.Get(), "ProbePlain")) -
            reinterpret_cast<uintptr_t>(probe.Get()));
    }
    const std::string copy = TempFolder() + "ModuleProbeShifted.dll";
    CopyWithTime(TestFolder() + "\\ModuleProbe.dll", copy, 0);
    {
        std::fstream file(copy, std::ios::in | std::ios::out | std::ios::binary);
        uint32_t peOffset = 0, codeSize = 0, codeBase = 0;
        file.seekg(60);
        file.read(reinterpret_cast<char*>(&peOffset), 4);
        file.seekg(peOffset + 24 + 4);
        file.read(reinterpret_cast<char*>(&codeSize), 4);
        file.seekg(peOffset + 24 + 20);
        file.read(reinterpret_cast<char*>(&codeBase), 4);
        ASSERT_GT(plainRva, codeBase);
        codeSize -= plainRva - codeBase;
        file.seekp(peOffset + 24 + 4);
        file.write(reinterpret_cast<const char*>(&codeSize), 4);
        file.seekp(peOffset + 24 + 20);
        file.write(reinterpret_cast<const char*>(&plainRva), 4);
        ASSERT_TRUE(file.good());
    }
    {
        TModuleHandle shifted(LoadLibraryA(copy.c_str()));
        ASSERT_TRUE(shifted);
        TVantorModuleInfo* module = FindModule(shifted.Get());
        ASSERT_NE(module, nullptr);
        const TVantorFunctionInfo* framed = ExportNamed(*module, "ProbeFramed");
        const TVantorFunctionInfo* plain = ExportNamed(*module, "ProbePlain");
        ASSERT_TRUE(framed && plain);
        EXPECT_EQ(framed->Size, 1u);
        EXPECT_EQ(plain->Size, 7u);
        ForgetModules();
    }
    DeleteFileA(copy.c_str());
}

TEST(ModuleList, AFileReplacedOnDiskGetsANewRecord) {
    ForgetModules();
    const std::string copy = TempFolder() + "ModuleProbeSwap.dll";
    CopyWithTime(TestFolder() + "\\ModuleProbe.dll", copy, 2);
    HMODULE first = LoadLibraryA(copy.c_str());
    ASSERT_NE(first, nullptr);
    TVantorModuleInfo* before = FindModule(first);
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->Version, "1.2.3.4");
    EXPECT_EQ(before->DebugVersion, 505);
    const double firstTime = before->FileTime;
    FreeLibrary(first);

    // Rebuilt between two reports: another version, no debug data now.
    CopyWithTime(TestFolder() + "\\ModuleProbeZero.dll", copy, 1);
    TModuleHandle second(LoadLibraryA(copy.c_str()));
    ASSERT_TRUE(second);
    DropChangedModules();
    TVantorModuleInfo* after = FindModule(second.Get());
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->Version, "");
    EXPECT_EQ(after->Kind, kModuleKindRuntimePackage);
    EXPECT_EQ(after->DebugStream, nullptr);
    EXPECT_GT(after->FileTime, firstTime);
    for (size_t i = 0; i < VantorModules().Count(); ++i)
        EXPECT_NE(VantorModules()[i]->Version, "1.2.3.4") << "the old record is gone";
    second.Reset();
    ForgetModules();
    DeleteFileA(copy.c_str());
}

TEST(ModuleList, CompletionAddsEveryLoadedModuleSortedByHandle) {
    ForgetModules();
    // A record of a module unloaded since goes.
    HMODULE unloaded = LoadLibraryA((TestFolder() + "\\ModuleProbeZero.dll").c_str());
    ASSERT_NE(FindModule(unloaded), nullptr);
    FreeLibrary(unloaded);
    ASSERT_NE(FindModule(GetModuleHandleA(nullptr)), nullptr);

    CompleteModuleList();
    const TVantorModulesList& list = VantorModules();
    std::set<HMODULE> listed;
    for (size_t i = 0; i < list.Count(); ++i) {
        listed.insert(list[i]->Handle);
        EXPECT_NE(list[i]->Handle, unloaded);
        if (i > 0) {
            EXPECT_LT(list[i - 1]->Handle, list[i]->Handle);
        }
    }
    // Toolhelp, asked independently, names no module the list lacks.
    TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId()));
    ASSERT_TRUE(snapshot);
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    size_t count = 0;
    for (BOOL more = Module32First(snapshot.Get(), &entry); more;
         more = Module32Next(snapshot.Get(), &entry), ++count)
        EXPECT_TRUE(listed.count(entry.hModule)) << entry.szModule;
    EXPECT_GT(count, 3u);
    EXPECT_EQ(list.Count(), count);

    // Records made while completing carry no exports; a later lookup makes them again.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    TVantorModuleInfo* quick = nullptr;
    for (size_t i = 0; i < list.Count(); ++i)
        if (list[i]->Handle == kernel)
            quick = list[i];
    ASSERT_NE(quick, nullptr);
    EXPECT_EQ(quick->Kind, kModuleKindUnknown);
    EXPECT_EQ(quick->Exports.Count(), 0u);
    TVantorModuleInfo* full = FindModule(kernel);
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->Kind, kModuleKindLibrary);
    EXPECT_NE(ExportNamed(*full, "GetTickCount"), nullptr);
    EXPECT_EQ(FindModule(GetModuleHandleA(nullptr))->Kind, kModuleKindProgram)
        << "a record made before completion stays as it was";
    ForgetModules();
}

TEST(ModuleDebugInfo, PasswordDecidesWhetherNamesReadLinesResolveEither) {
    const std::string source = LUMARO_SOURCE_DIR "/tests/win32/probe/ModuleProbe.cpp";
    const int line = LineOf(source, "int ProbeAnswer(int x) {");
    ASSERT_GT(line, 0);
    TModuleHandle probe(LoadLibraryA((TestFolder() + "\\ModuleProbe.dll").c_str()));
    ASSERT_TRUE(probe);
    using TSetPassword = void (*)(const char*);
    auto setPassword = reinterpret_cast<TSetPassword>(
        reinterpret_cast<void*>(GetProcAddress(probe.Get(), "ProbeSetPassword")));
    ASSERT_NE(setPassword, nullptr);
    const auto answer = reinterpret_cast<uintptr_t>(GetProcAddress(probe.Get(), "ProbeAnswer"));

    struct {
        const char* password;
        bool readable;
    } const cases[] = {{"probe-password", true}, {"wrong", false}, {"", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        ForgetModules();
        setPassword(c.password);
        TVantorModuleInfo* module = FindModule(probe.Get());
        ASSERT_NE(module, nullptr);
        EXPECT_EQ(module->ModulePassword, c.password);
        EXPECT_EQ(module->NamesReadable, c.readable);
        TVantorDebugInfo entry;
        ASSERT_TRUE(FindLineInfo(answer, entry));
        EXPECT_EQ(entry.Kind, kLineInfo);
        EXPECT_EQ(entry.Module, module);
        EXPECT_EQ(entry.Address, answer);
        EXPECT_EQ(entry.Line, line);
        if (c.readable) {
            EXPECT_EQ(entry.UnitName, "ModuleProbe.cpp");
            EXPECT_EQ(entry.ProcedureName, "ProbeAnswer");
            EXPECT_EQ(entry.ClassName, "");
        } else {
            EXPECT_EQ(entry.UnitName.substr(0, 2), "?p");
            EXPECT_EQ(entry.ProcedureName.substr(0, 1), "?");
        }
    }
    ForgetModules();
}

TEST(ModuleDebugInfo, TheProgramsOwnBlockResolvesItsCodeAndSymbols) {
    ForgetModules();
    const std::string source = LUMARO_SOURCE_DIR "/tests/win32/ModuleListTest.cpp";
    EXPECT_EQ(ResolvedHere(1), 2);
    TVantorDebugInfo entry;
    ASSERT_TRUE(FindLineInfo(reinterpret_cast<uintptr_t>(&ResolvedHere), entry));
    EXPECT_EQ(entry.UnitName, "ModuleListTest.cpp");
    EXPECT_EQ(entry.ProcedureName, "ResolvedHere");
    EXPECT_EQ(entry.Line, LineOf(source, "int ResolvedHere(int x) {"));

    // Symbols 0 and 1 are the framework's two exception handlers.
    void* handle = FindSymbolByID(0);
    void* show = FindSymbolByID(1);
    ASSERT_TRUE(handle && show);
    ASSERT_TRUE(FindLineInfo(reinterpret_cast<uintptr_t>(handle), entry));
    EXPECT_EQ(entry.ClassName + "." + entry.ProcedureName, "TApplication.HandleException");
    ASSERT_TRUE(FindLineInfo(reinterpret_cast<uintptr_t>(show), entry));
    EXPECT_EQ(entry.ClassName + "." + entry.ProcedureName, "TApplication.ShowException");
    EXPECT_EQ(FindSymbolByID(7), nullptr);
    // An ID the table lacks falls back to a loaded library's export.
    EXPECT_EQ(
        FindSymbolByID(7, "kernel32.dll", "GetTickCount"),
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount")));
    EXPECT_EQ(FindSymbolByID(7, "no-such-library.dll", "GetTickCount"), nullptr);
    EXPECT_EQ(FindSymbolByID(0, "kernel32.dll", "GetTickCount"), handle) << "the table comes first";
    ForgetModules();
}

TEST(ModuleDebugInfo, TheProgramsPasswordRequestAnswersWithTheProvider) {
    using TRequest = void (*)(char*, int);
    auto request = reinterpret_cast<TRequest>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA(nullptr), "VantorLog_PasswordRequestEvent")));
    ASSERT_NE(request, nullptr);
    char counted[256];
    std::memset(counted, 0x55, sizeof counted);
    request(counted, 255);
    EXPECT_EQ(counted[0], 0) << "no provider: the empty password";

    SetPasswordProvider([] { return std::string("secret"); });
    request(counted, 255);
    EXPECT_EQ(std::string(counted + 1, static_cast<uint8_t>(counted[0])), "secret");
    SetPasswordProvider([] { return std::string(300, 'x'); });
    request(counted, 255);
    EXPECT_EQ(static_cast<uint8_t>(counted[0]), 255) << "cut to the buffer";
    SetPasswordProvider(nullptr);
}
