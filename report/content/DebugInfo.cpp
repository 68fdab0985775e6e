#include "DebugInfo.h"

#include "CallStack.h"
#include "DebugBlock.h"
#include "LineTable.h"
#include "MemoryAccess.h"
#include "ModuleList.h"
#include "WinHandles.h"

#include <cstring>

namespace {

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, DWORD size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

// The tail form is read whole; this bounds what a hostile length can ask for.
constexpr uint32_t kMaxTailBlock = 64u << 20;

std::string (*passwordProvider)() = nullptr;

// A module's "VantorLog_PasswordRequestEvent": fills a counted string of at most
// capacity characters.
using TPasswordRequest = void (*)(char* counted, int capacity);

std::string RequestPassword(HMODULE module) {
    auto request = reinterpret_cast<TPasswordRequest>(
        reinterpret_cast<void*>(GetProcAddress(module, "VantorLog_PasswordRequestEvent")));
    if (!request)
        return "";
    char counted[256] = {};
    try {
        request(counted, 255);
    } catch (...) {
        return ""; // a module's handler that fails gives no password
    }
    return std::string(counted + 1, static_cast<uint8_t>(counted[0]));
}

} // namespace

bool ModuleDebugResource(HMODULE module, const uint8_t*& data, size_t& size) {
    HRSRC info = FindResourceA(module, "VLDATA", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return false;
    data = static_cast<const uint8_t*>(bytes);
    size = SizeofResource(module, info);
    return IsDebugResource(data, size);
}

bool ModuleDebugTail(HMODULE module, std::vector<uint8_t>& block) {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    TFileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 8)
        return false;
    uint32_t trailer[2];
    if (!ReadAt(file.Get(), static_cast<uint64_t>(size.QuadPart) - 8, trailer, 8) ||
        trailer[1] != kDebugDataMagic)
        return false;
    const uint32_t length = trailer[0];
    if (length > kMaxTailBlock || length > static_cast<uint64_t>(size.QuadPart) - 8)
        return false;
    block.resize(static_cast<size_t>(length) + 8);
    return ReadAt(file.Get(), static_cast<uint64_t>(size.QuadPart) - 8 - length, block.data(),
                  static_cast<DWORD>(block.size()));
}

bool HasDebugData(HMODULE module) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (ModuleDebugResource(module, data, size))
        return true;
    std::vector<uint8_t> tail;
    return ModuleDebugTail(module, tail);
}

bool LoadModuleDebugBlock(HMODULE module, TVantorModuleOptions& options, bool lines,
                          TDebugData& data) {
    std::string error;
    const uint8_t* resource = nullptr;
    size_t size = 0;
    if (ModuleDebugResource(module, resource, size))
        return ReadDebugResource(resource, size, options, lines, data, error);
    std::vector<uint8_t> tail;
    return ModuleDebugTail(module, tail) &&
           ReadDebugTail(tail.data(), tail.size(), options, lines, data, error);
}

bool LoadModuleDebugInfo(TVantorModuleInfo& module, bool lines) {
    module.DebugVersion = 505;
    module.CompilationDate = 0;
    module.DebugStream.reset();
    TDebugData data;
    if (!LoadModuleDebugBlock(module.Handle, *module.Options, lines, data))
        return false;
    module.DebugVersion = data.Version;
    module.CompilationDate = data.CompilationDate;
    if (!lines)
        return true;
    if (data.HasPasswordCheck) {
        module.ModulePassword = RequestPassword(module.Handle);
        module.NamesReadable = PasswordMatches(data, module.ModulePassword);
    }
    if (data.HasLineTable) {
        module.DebugStream = std::make_unique<TMemoryStream>();
        module.DebugStream->WriteBuffer(data.LineTable.data(), data.LineTable.size());
    }
    return true;
}

bool FindLineInfo(uintptr_t address, TVantorDebugInfo& entry) {
    TVantorModuleInfo* module = FindModuleByAddress(address);
    if (!module || !module->DebugStream)
        return false;
    TLineLookup lookup;
    lookup.Names.Version = module->DebugVersion;
    lookup.Names.NamesReadable = module->NamesReadable;
    lookup.Names.Password = module->ModulePassword;
    lookup.ModuleBase = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module->Handle));
    lookup.ReadCode = [](uint32_t at, uint8_t* bytes, size_t count) {
        const void* code = reinterpret_cast<const void*>(static_cast<uintptr_t>(at));
        if (!IsReadable(code, count))
            return false;
        std::memcpy(bytes, code, count);
        return true;
    };
    const std::vector<uint8_t>& table = module->DebugStream->Bytes();
    TLineInfo info;
    if (!FindLineInfo(table.data(), table.size(), lookup, static_cast<uint32_t>(address), info))
        return false;
    entry.Kind = kLineInfo;
    entry.Module = module;
    entry.Address = info.Address;
    entry.UnitName = info.UnitName;
    entry.ClassName = info.ClassName;
    entry.ProcedureName = info.ProcedureName;
    entry.Line = info.Line;
    entry.LineOffset = info.LineOffset;
    return true;
}

void* FindSymbolByID(uint8_t id) {
    HMODULE library = LibraryModule();
    const uint8_t* data = nullptr;
    size_t size = 0;
    uint32_t address = 0;
    if (!ModuleDebugResource(library, data, size) ||
        !FindSymbol(data, size, id, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(library)),
                    address))
        return nullptr;
    return reinterpret_cast<void*>(static_cast<uintptr_t>(address));
}

void* FindSymbolByID(uint8_t id, const char* libraryName, const char* procedureName) {
    if (void* address = FindSymbolByID(id))
        return address;
    HMODULE library = GetModuleHandleA(libraryName);
    return library ? reinterpret_cast<void*>(GetProcAddress(library, procedureName)) : nullptr;
}

void SetPasswordProvider(std::string (*provider)()) {
    passwordProvider = provider;
}

// The password request of the module that holds the library: what the
// registered provider gives, cut to the buffer.
extern "C" __declspec(dllexport) void VantorLog_PasswordRequestEvent(char* counted, int capacity) {
    std::string password = passwordProvider ? passwordProvider() : std::string();
    size_t length =
        std::min<size_t>(password.size(), static_cast<size_t>(std::clamp(capacity, 0, 255)));
    counted[0] = static_cast<char>(length);
    std::memcpy(counted + 1, password.data(), length);
}
