// A read-only stream over a resource of a module.
#pragma once

#include "Classes.h"

#include <windows.h>

#include <string>

class TResourceStream : public TCustomMemoryStream {
public:
    // Raises EResNotFound naming the resource when the module has none by that name.
    TResourceStream(HINSTANCE instance, const std::string& name, LPCSTR type);
};

// The module that holds the program's resources.
HINSTANCE MainInstance();
// The module whose image contains an address (code or data), or null.
HMODULE ModuleOfAddress(const void* address);
// Windows of the NT family (outside it: a shared upper half of memory, debug thunks).
bool IsNtPlatform();
