#include "VantorLogOptionsEx.h"

#include "ResourceStream.h"
#include "SysUtils.h"
#include "WinHandles.h"

#include <cstring>
#include <vector>

namespace {

void (*freezeWatchdogSwitch)(bool) = nullptr;
TKernelHandle publication; // this module's shared block
bool activated = false;
bool designTimeMode = false;
TVantorModuleOptions* (*ownModuleOptions)() = nullptr;

std::string OwnBlockName() {
    return PublicationBlockName(
        GetCurrentProcessId(), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(LibraryModule())));
}

// Replaces the block with one holding the given data, preceded by its size.
bool Publish(const std::vector<uint8_t>& data) {
    publication.Reset(); // the previous block goes first
    const DWORD size = static_cast<DWORD>(data.size() + 4);
    TKernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                             OwnBlockName().c_str()));
    if (!mapping)
        return false;
    TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, size));
    if (!view)
        return false;
    const uint32_t length = static_cast<uint32_t>(data.size());
    std::memcpy(view.Get(), &length, 4);
    std::memcpy(static_cast<uint8_t*>(view.Get()) + 4, data.data(), data.size());
    publication = std::move(mapping);
    return true;
}

bool CanOpenReadWrite(const std::string& name) {
    bool existed = GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
    TFileHandle file(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    file.Reset();
    if (!existed)
        DeleteFileA(name.c_str());
    return true;
}

bool EnsureFolder(const std::string& folder) {
    if (CreateDirectoryA(folder.c_str(), nullptr))
        return true;
    DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FilePart(const std::string& name) {
    size_t delimiter = name.find_last_of("\\/:");
    return delimiter == std::string::npos ? name : name.substr(delimiter + 1);
}

} // namespace

HMODULE LibraryModule() {
    return ModuleOfAddress(reinterpret_cast<const void*>(&LibraryModule));
}

void SetDesignTimeMode(bool designTime) {
    designTimeMode = designTime;
}

bool DesignTimeMode() {
    return designTimeMode;
}

void SetFreezeWatchdogSwitch(void (*watchdogSwitch)(bool run)) {
    freezeWatchdogSwitch = watchdogSwitch;
}

bool TVantorModuleOptionsEx::ModuleHoldsLibrary() const {
    if (ModuleFileName().empty())
        return false;
    return GetModuleHandleA(ModuleFileName().c_str()) == LibraryModule();
}

void TVantorModuleOptionsEx::PublishChanges() {
    TMemoryStream stream;
    const uint8_t published = 1;
    stream.WriteBuffer(&published, 1);
    SaveToStream(stream);
    Publish(stream.Bytes());
}

void TVantorModuleOptionsEx::SetEnabled(bool value) {
    if (!ModuleHoldsLibrary()) {
        TVantorModuleOptions::SetEnabled(value);
        return;
    }
    if (value == Enabled())
        return;
    StoreEnabled(value);
    WatchdogOptionChanged();
}

void TVantorModuleOptionsEx::SetFreezeCheck(bool value) {
    if (!ModuleHoldsLibrary()) {
        TVantorModuleOptions::SetFreezeCheck(value);
        return;
    }
    if (value == FreezeCheck())
        return;
    StoreFreezeCheck(value);
    WatchdogOptionChanged();
}

void TVantorModuleOptionsEx::WatchdogOptionChanged() {
    if (freezeWatchdogSwitch)
        freezeWatchdogSwitch(Enabled() && FreezeCheck());
    Changed();
}

bool CreateEmptyPublication() {
    return Publish({0});
}

void ReleasePublication() {
    publication.Reset();
}

bool LoadPublishedOptions(HMODULE module, TVantorModuleOptions& options) {
    std::string name = PublicationBlockName(
        GetCurrentProcessId(), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module)));
    TKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()));
    if (!mapping)
        return false;
    TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    MEMORY_BASIC_INFORMATION info{};
    if (!view || !VirtualQuery(view.Get(), &info, sizeof info))
        return false;
    // The block says how much follows; believe it only as far as the view reaches.
    const auto* bytes = static_cast<const uint8_t*>(view.Get());
    TByteReader reader(bytes, info.RegionSize);
    uint32_t length = 0;
    uint8_t published = 0;
    if (!reader.ReadU32(length) || length > reader.Remaining() || length < 1 ||
        !reader.ReadU8(published) || published == 0)
        return false;
    TCustomMemoryStream stream(bytes + 5, length - 1);
    options.LoadFromStream(stream);
    return true;
}

std::string TVantorModuleOptions::LogFileName(const std::string& name) const {
    char computer[16] = {};
    DWORD size = sizeof computer;
    if (!GetComputerNameA(computer, &size))
        computer[0] = '\0';
    return LogFileName(name, computer);
}

bool WritableLocation(const std::string& fileName, bool perProgram, std::string& result) {
    if (CanOpenReadWrite(fileName)) {
        result = fileName;
        return true;
    }
    char profile[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("UserProfile", profile, MAX_PATH);
    std::string folder = (n == 0 || n >= MAX_PATH) ? std::string("\\") : std::string(profile);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    folder += "VantorLog";
    if (!EnsureFolder(folder))
        return false;
    if (perProgram) {
        char program[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, program, MAX_PATH);
        std::string part = FilePart(program);
        size_t dot = part.rfind('.');
        folder += "\\" + (dot == std::string::npos ? part : part.substr(0, dot));
        if (!EnsureFolder(folder))
            return false;
    }
    std::string candidate = folder + "\\" + FilePart(fileName);
    if (!CanOpenReadWrite(candidate))
        return false;
    result = candidate;
    return true;
}

void SetVantorLogActivation(bool active, TVantorModuleOptions* (*ownOptions)()) {
    activated = active;
    ownModuleOptions = ownOptions;
}

TVantorModuleOptions& CurrentVantorLogOptions() {
    static const char kMessage[] =
        "\r\nCannot use 'CurrentVantorLogOptions' function without activate VantorLog.\r\n"
        "To activate VantorLog use the new IDE \"Project/VantorLog Options...\" menu.";
    if (!activated)
        throw EAssertionFailed(kMessage, "ExceptionLog", 10570);
    TVantorModuleOptions* own = ownModuleOptions ? ownModuleOptions() : nullptr;
    if (!own)
        throw EAssertionFailed(kMessage, "ExceptionLog", 10572);
    return *own;
}
