#include "ApplicationWindow.h"

namespace {

BOOL CALLBACK TestWindow(HWND wnd, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(wnd))
        return TRUE;
    HWND owner = GetWindow(wnd, GW_OWNER);
    if (owner && owner != GetDesktopWindow())
        return TRUE;
    LONG exStyle = GetWindowLongA(wnd, GWL_EXSTYLE);
    if ((exStyle & WS_EX_TOOLWINDOW) && !(exStyle & WS_EX_APPWINDOW))
        return TRUE;
    *reinterpret_cast<HWND*>(param) = wnd;
    return FALSE;
}

} // namespace

HWND FindApplicationMainWindow() {
    HWND found = nullptr;
    EnumWindows(TestWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}
