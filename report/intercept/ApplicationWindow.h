// Finding the application's main window from inside the library.
#pragma once

#include <windows.h>

// The first visible top-level window of this process without an owner other than
// the desktop that is not a tool window (unless it is also an application window);
// null when there is none.
HWND FindApplicationMainWindow();
