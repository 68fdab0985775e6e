#include "ReportTextWin.h"

#include "ApplicationWindow.h"
#include "Classes.h"
#include "WinHandles.h"

#include <richedit.h>

#include <cstdlib>
#include <cstring>

namespace {

std::string dialogFontName = "Courier New";
int dialogFontSize = 8;

// Closes the clipboard on every path.
class TClipboard {
public:
    explicit TClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~TClipboard() {
        if (open_)
            CloseClipboard();
    }
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;
    bool Open() const { return open_; }

private:
    bool open_;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    auto* stream = reinterpret_cast<TStream*>(cookie);
    *got = static_cast<LONG>(stream->Read(buffer, static_cast<size_t>(wanted)));
    return 0;
}

int64_t FileTimeValue(const FILETIME& t) {
    return (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Local minus universal time, in minutes, as the clock says now.
int CurrentOffsetMinutes() {
    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    GetLocalTime(&local);
    FILETIME u, l;
    SystemTimeToFileTime(&utc, &u);
    SystemTimeToFileTime(&local, &l);
    int64_t minutes = (FileTimeValue(l) - FileTimeValue(u)) / (10000000LL * 60);
    return static_cast<int>(minutes);
}

} // namespace

int DefaultCharset() {
    char buffer[7] = {};
    unsigned codePage = 0;
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, buffer, 6) > 0) {
        char* end = nullptr;
        unsigned long value = std::strtoul(buffer, &end, 10);
        if (end != buffer && *end == '\0')
            codePage = static_cast<unsigned>(value);
    }
    if (codePage == 0)
        codePage = GetACP();
    CHARSETINFO info{};
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(codePage)), &info,
                              TCI_SRCCODEPAGE))
        return DEFAULT_CHARSET;
    return static_cast<int>(info.ciCharset);
}

void SetDialogFont(const std::string& name, int pointSize) {
    dialogFontName = name;
    dialogFontSize = pointSize;
}

TRtfFrame DialogRtfFrame() {
    TRtfFrame frame;
    frame.Charset = DefaultCharset();
    frame.FontName = dialogFontName;
    frame.FontSize = dialogFontSize;
    TWindowDC screen(nullptr);
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(dialogFontSize, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, dialogFontName.c_str(), LF_FACESIZE);
    TFontHandle font(CreateFontIndirectA(&lf));
    TSelection selected(screen.Get(), font.Get());
    SIZE size{};
    GetTextExtentPoint32A(screen.Get(), "---------------------", 21, &size);
    frame.DashWidth = size.cx;
    return frame;
}

std::string GeneralSectionToRtf(const std::string& text) {
    return GeneralSectionToRtf(text, DialogRtfFrame());
}

std::string CallStackToRtf(const std::string& text) {
    return CallStackToRtf(text, DialogRtfFrame());
}

void LoadRtf(HWND richEdit, const std::string& rtf) {
    TCustomMemoryStream stream(rtf.data(), rtf.size());
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(static_cast<TStream*>(&stream));
    es.pfnCallback = ReadRtf;
    SendMessageA(richEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
}

void SetRichEditBackground(HWND richEdit, TColor color) {
    COLORREF rgb = color < 0 ? GetSysColor(color & 0xFF) : static_cast<COLORREF>(color);
    SendMessageA(richEdit, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(rgb));
}

std::string DateText(const SYSTEMTIME& t) {
    TDateParts parts{t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond};
    return DateText(parts, CurrentOffsetMinutes());
}

std::string NowDateText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return DateText(now);
}

std::string OperatingSystemName() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&v))
        return OperatingSystemName(TPlatform::Other, 0, 0, "");
#pragma GCC diagnostic pop
    TPlatform platform = v.dwPlatformId == VER_PLATFORM_WIN32_NT        ? TPlatform::WindowsNT
                         : v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? TPlatform::Windows9x
                                                                        : TPlatform::Other;
    return OperatingSystemName(platform, v.dwMajorVersion, v.dwMinorVersion, v.szCSDVersion);
}

bool CopyToClipboard(const std::string& text) {
    TClipboard clipboard(FindApplicationMainWindow());
    if (!clipboard.Open())
        return false;
    TGlobalHandle block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1));
    if (!block)
        return false;
    void* memory = GlobalLock(block.Get());
    if (!memory)
        return false;
    std::memcpy(memory, text.c_str(), text.size() + 1);
    GlobalUnlock(block.Get());
    EmptyClipboard();
    if (!SetClipboardData(CF_TEXT, block.Get()))
        return false;
    block.Release(); // the clipboard owns it now
    return true;
}
