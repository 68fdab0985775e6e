#include "MemoryAccess.h"

#include <windows.h>

namespace {

bool ReadableProtection(DWORD protect) {
    switch (protect) {
    case PAGE_READONLY:
    case PAGE_READWRITE:
    case PAGE_WRITECOPY:
    case PAGE_EXECUTE:
    case PAGE_EXECUTE_READ:
    case PAGE_EXECUTE_READWRITE:
    case PAGE_EXECUTE_WRITECOPY:
        return true;
    default:
        return false; // no access, or any modifier bit above these values
    }
}

} // namespace

bool IsReadable(const void* address, size_t length) {
    if (!address)
        return false;
    uintptr_t start = reinterpret_cast<uintptr_t>(address);
    if (length == 0)
        length = 1;
    if (start + length < start)
        return false; // wraps around the address space
    const uintptr_t end = start + length;
    uintptr_t at = start;
    while (at < end) {
        MEMORY_BASIC_INFORMATION info;
        if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) == 0)
            return false;
        if (info.State != MEM_COMMIT || !ReadableProtection(info.Protect))
            return false;
        uintptr_t regionEnd = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (regionEnd <= at)
            return false;
        at = regionEnd;
    }
    return true;
}
