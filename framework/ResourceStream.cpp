#include "ResourceStream.h"

#include "SysUtils.h"

TResourceStream::TResourceStream(HINSTANCE instance, const std::string& name, LPCSTR type) {
    HRSRC info = FindResourceA(instance, name.c_str(), type);
    HGLOBAL data = info ? LoadResource(instance, info) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes)
        throw EResNotFound("Resource " + name + " not found");
    // Resource memory lives as long as the module; nothing to free.
    SetPointer(bytes, SizeofResource(instance, info));
}

HINSTANCE MainInstance() {
    return GetModuleHandleA(nullptr);
}

HMODULE ModuleOfAddress(const void* address) {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(address), &module);
    return module;
}

bool IsNtPlatform() {
    return (GetVersion() & 0x80000000u) == 0;
}
