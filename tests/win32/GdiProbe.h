// Counting the graphics objects a process holds, without GetGuiResources (which
// Wine answers with 0): every handle index is probed with GetObjectType. A handle
// value without generation bits matches the live object at that index.
#pragma once

#include <windows.h>

int CountLiveGdiObjects();

// Lets the window's pending messages run (paints, timers) for a while.
void PumpMessages(DWORD milliseconds);
