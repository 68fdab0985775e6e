#include "DebugInfo.h"

#include "DebugBlock.h"
#include "LineTable.h"
#include "WinHandles.h"

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
