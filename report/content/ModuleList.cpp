#include "ModuleList.h"

#include "DebugInfo.h"
#include "MemoryAccess.h"
#include "ModuleFacts.h"
#include "ResourceStream.h"
#include "WinHandles.h"

#include <tlhelp32.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

// While set, new records get kind 0, no exports and no line data.
bool completing = false;

class TCompletionScope {
public:
    TCompletionScope() { completing = true; }
    ~TCompletionScope() { completing = false; }
};

std::string LoadedFileName(HMODULE module) {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    return n == 0 ? std::string() : WithoutDevicePrefix(std::string(path, n));
}

double LastWriteTime(const std::string& fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data))
        return 0;
    ULARGE_INTEGER t;
    t.LowPart = data.ftLastWriteTime.dwLowDateTime;
    t.HighPart = data.ftLastWriteTime.dwHighDateTime;
    // 100 ns units since 1601-01-01; 1899-12-30 is 109205 days later.
    return static_cast<double>(t.QuadPart) / 864000000000.0 - 109205.0;
}

uint32_t FileSizeOf(const std::string& fileName) {
    WIN32_FIND_DATAA data;
    TFindHandle search(FindFirstFileA(fileName.c_str(), &data));
    return search ? data.nFileSizeLow : 0;
}

void ReadVersionInformation(TVantorModuleInfo& module) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(module.FileName.c_str(), &ignored);
    if (size == 0)
        return;
    std::vector<uint8_t> info(size);
    if (!GetFileVersionInfoA(module.FileName.c_str(), 0, size, info.data()))
        return;
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
        const auto* translation = static_cast<const WORD*>(value);
        char key[64];
        std::snprintf(key, sizeof key, "\\StringFileInfo\\%04X%04X\\FileDescription",
                      translation[0], translation[1]);
        if (VerQueryValueA(info.data(), key, &value, &length) && length > 1)
            module.Description.assign(static_cast<const char*>(value),
                                      strnlen(static_cast<const char*>(value), length));
    }
    if (VerQueryValueA(info.data(), "\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        module.Version = FileVersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    }
}

// The 4-byte PE signature and the 20-byte file header, read from the image.
bool ReadFileHeader(THModuleStream& image, uint32_t& peOffset, uint8_t (&header)[24]) {
    uint8_t mz[2];
    return image.GuardedReadAt(0, mz, 2) && mz[0] == 'M' && mz[1] == 'Z' &&
           image.GuardedReadAt(60, &peOffset, 4) && image.GuardedReadAt(peOffset, header, 24) &&
           std::memcmp(header, "PE\0\0", 4) == 0;
}

uint8_t KindOf(const TVantorModuleInfo& module) {
    THModuleStream image(module.Handle);
    uint32_t peOffset = 0;
    uint8_t header[24];
    if (!ReadFileHeader(image, peOffset, header))
        return kModuleKindUnknown;
    const uint16_t characteristics = LoadU16(header + 4 + 18);
    if ((characteristics & IMAGE_FILE_DLL) == 0)
        return kModuleKindProgram;
    TModuleHandle data(LoadLibraryExA(module.FileName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    const bool package = data && FindResourceA(data.Get(), "PACKAGEINFO", RT_RCDATA) &&
                         FindResourceA(data.Get(), "PACKAGEOPTIONS", RT_RCDATA);
    return package ? kModuleKindRuntimePackage : kModuleKindLibrary;
}

// An exported name: up to 256 bytes, each one readable.
bool ReadExportName(THModuleStream& image, uint32_t rva, std::string& name) {
    char buffer[257] = {};
    const auto* at = reinterpret_cast<const char*>(image.Memory()) + rva;
    if (IsReadable(at, 256)) {
        std::memcpy(buffer, at, 256);
    } else {
        for (size_t i = 0; i < 256 && IsReadable(at + i, 1) && at[i]; ++i)
            buffer[i] = at[i];
    }
    name = buffer;
    return !name.empty();
}

void ReadExports(TVantorModuleInfo& module) {
    THModuleStream image(module.Handle);
    uint32_t peOffset = 0;
    uint8_t header[248];
    if (!image.GuardedReadAt(60, &peOffset, 4) || !image.GuardedReadAt(peOffset, header, 248) ||
        std::memcmp(header, "PE\0\0", 4) != 0)
        return;
    const uint8_t* fileHeader = header + 4;
    const uint8_t* optional = header + 24;
    const uint16_t sectionCount = LoadU16(fileHeader + 2);
    const uint16_t optionalSize = LoadU16(fileHeader + 16);
    const uint32_t codeSize = LoadU32(optional + 4);
    const uintptr_t base = reinterpret_cast<uintptr_t>(module.Handle);
    const uintptr_t codeStart = base + LoadU32(optional + 20);
    if (codeSize == 0 || !IsReadable(reinterpret_cast<const void*>(codeStart), codeSize))
        return;
    const uintptr_t codeEnd = codeStart + codeSize - 1;
    const uint32_t exportRva = LoadU32(optional + 96);
    if (LoadU32(optional + 92) == 0 || exportRva == 0)
        return;

    bool inSection = false;
    for (uint16_t i = 0; i < sectionCount && !inSection; ++i) {
        uint8_t section[40];
        if (!image.GuardedReadAt(peOffset + 24 + optionalSize + 40u * i, section, 40))
            return;
        const uint32_t start = LoadU32(section + 12);
        const uint32_t size = std::max(LoadU32(section + 8), LoadU32(section + 16));
        inSection = exportRva >= start && exportRva - start < size;
    }
    uint8_t directory[40];
    if (!inSection || !image.GuardedReadAt(exportRva, directory, 40) || LoadU32(directory) != 0)
        return;
    const uint32_t count = std::min(LoadU32(directory + 20), LoadU32(directory + 24));
    const uint32_t namesRva = LoadU32(directory + 32);
    const bool nt = IsNtPlatform();
    for (uint32_t k = 0; k < count; ++k) {
        uint32_t nameRva = 0;
        std::string name;
        if (!image.GuardedReadAt(namesRva + 4 * k, &nameRva, 4))
            break;
        if (!ReadExportName(image, nameRva, name))
            continue;
        auto* code = reinterpret_cast<const uint8_t*>(GetProcAddress(module.Handle, name.c_str()));
        if (!code)
            continue;
        uintptr_t address = reinterpret_cast<uintptr_t>(code);
        // Outside the NT family the loader hands out debug thunks: push the
        // routine's address, jump on.
        if (!nt && IsReadable(code, 6) && code[0] == 0x68 && code[5] == 0xE9)
            address = LoadU32(code + 1);
        uint32_t size = 1;
        if (!DesignTimeMode() && address >= codeStart && address <= codeEnd)
            size = EstimateRoutineSize(reinterpret_cast<const uint8_t*>(address),
                                       codeEnd - address + 1);
        auto entry = std::make_unique<TVantorFunctionInfo>();
        entry->Name = name;
        entry->Address = static_cast<uint32_t>(address);
        entry->Size = size;
        module.Exports.Add(std::move(entry));
    }
    module.Exports.SortBy([](const TVantorFunctionInfo& f) { return f.Address; });
}

std::unique_ptr<TVantorModuleInfo> MakeRecord(HMODULE handle) {
    std::string fileName = LoadedFileName(handle);
    if (fileName.empty())
        return nullptr;
    auto module = std::make_unique<TVantorModuleInfo>();
    module->Handle = handle;
    module->FileName = fileName;
    module->FileTime = LastWriteTime(fileName);
    ReadVersionInformation(*module);
    module->Size = FileSizeOf(fileName);
    if (!completing && handle != GetModuleHandleA(nullptr))
        ReadExports(*module);
    module->Kind = completing ? uint8_t{kModuleKindUnknown} : KindOf(*module);
    module->Options = std::make_unique<TVantorModuleOptionsEx>(fileName, true);
    LoadModuleDebugInfo(*module, !completing);
    if (handle != LibraryModule())
        LoadPublishedOptions(handle, *module->Options);
    return module;
}

std::vector<HMODULE> LoadedModules() {
    std::vector<HMODULE> modules;
    if (IsNtPlatform()) {
        TModuleHandle psapi(LoadLibraryA("PSAPI.DLL"));
        using TEnumProcessModules = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD);
        auto enumerate = psapi ? reinterpret_cast<TEnumProcessModules>(reinterpret_cast<void*>(
                                     GetProcAddress(psapi.Get(), "EnumProcessModules")))
                               : nullptr;
        TKernelHandle process(
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId()));
        DWORD needed = 0;
        if (!enumerate || !process || !enumerate(process.Get(), nullptr, 0, &needed))
            return modules;
        modules.resize(needed / sizeof(HMODULE));
        if (!enumerate(process.Get(), modules.data(),
                       static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed))
            return {};
        modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
        return modules;
    }
    TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId()));
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Module32First(snapshot.Get(), &entry); more;
         more = Module32Next(snapshot.Get(), &entry))
        modules.push_back(entry.hModule);
    return modules;
}

} // namespace

THModuleStream::THModuleStream(const void* start) {
    SetPointer(start, INT32_MAX);
}

bool THModuleStream::GuardedRead(void* buffer, size_t count) {
    const uint8_t* at = Memory() + Position();
    if (!IsReadable(at, count))
        return false;
    return Read(buffer, count) == count;
}

bool THModuleStream::GuardedReadAt(uint32_t offset, void* buffer, size_t count) {
    Seek(offset, TSeekOrigin::Beginning);
    return GuardedRead(buffer, count);
}

TVantorModulesList& VantorModules() {
    static TVantorModulesList modules;
    return modules;
}

TVantorModuleInfo* FindModule(HMODULE module) {
    TVantorModulesList& list = VantorModules();
    for (size_t i = 0; i < list.Count(); ++i) {
        if (list[i]->Handle != module)
            continue;
        if (list[i]->Kind != kModuleKindUnknown || completing)
            return list[i];
        list.Delete(i); // made during completion: made again in full
        break;
    }
    std::unique_ptr<TVantorModuleInfo> record = MakeRecord(module);
    return record ? list.Add(std::move(record)) : nullptr;
}

TVantorModuleInfo* FindModuleByAddress(uintptr_t address) {
    HMODULE module = ModuleOfAddress(reinterpret_cast<const void*>(address));
    return module ? FindModule(module) : nullptr;
}

void CompleteModuleList() {
    TVantorModulesList& list = VantorModules();
    for (size_t i = list.Count(); i-- > 0;)
        if (LoadedFileName(list[i]->Handle).empty())
            list.Delete(i);
    TCompletionScope scope;
    for (HMODULE module : LoadedModules())
        FindModule(module);
    list.SortBy([](const TVantorModuleInfo& m) { return reinterpret_cast<uintptr_t>(m.Handle); });
}

void DropChangedModules() {
    TVantorModulesList& list = VantorModules();
    for (size_t i = list.Count(); i-- > 0;)
        if (LastWriteTime(list[i]->FileName) != list[i]->FileTime)
            list.Delete(i);
}

std::string ModuleFolder(const TVantorModuleInfo& module) {
    return FolderOfFile(module.FileName);
}
