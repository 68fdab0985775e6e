#include "ApplicationWindow.h"
#include "Classes.h"
#include "ReportTextWin.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <memory>
#include <regex>

namespace {

struct TWindow {
    HWND wnd;
    explicit TWindow(HWND w) : wnd(w) {}
    ~TWindow() {
        if (wnd)
            DestroyWindow(wnd);
    }
};

std::string Text(HWND wnd) {
    int length = GetWindowTextLengthA(wnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(wnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

HWND RichEdit() {
    static HMODULE library = LoadLibraryA("RICHED32.DLL");
    EXPECT_NE(library, nullptr);
    return CreateWindowExA(0, "RICHEDIT", "", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

} // namespace

TEST(RichEdit, AStreamedDocumentReadsBackAsThePlainText) {
    TWindow edit(RichEdit());
    ASSERT_NE(edit.wnd, nullptr);
    const std::string section = "General Information\r\nApplication:\r\n-----------\r\n"
                                "Name: C:\\Program {x}\\Lumaro.exe\r\nVersion Number: 1.0";
    SetDialogFont("Courier New", 9);
    LoadRtf(edit.wnd, GeneralSectionToRtf(section));
    EXPECT_EQ(Text(edit.wnd), section);

    const std::string table = "Call Stack Information:\r\n-----------\r\n|Address |Module    |\r\n"
                              "|00401000|Lumaro.exe|";
    LoadRtf(edit.wnd, CallStackToRtf(table));
    EXPECT_EQ(Text(edit.wnd), table);
}

TEST(RichEdit, BackgroundTakesPlainAndSystemColours) {
    TWindow edit(RichEdit());
    SetRichEditBackground(edit.wnd, 0x00123456);
    // The message answers the previous colour.
    EXPECT_EQ(SendMessageA(edit.wnd, EM_SETBKGNDCOLOR, 0, 0), 0x00123456);
    SetRichEditBackground(edit.wnd, clBtnFace);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(edit.wnd, EM_SETBKGNDCOLOR, 0, 0)),
              GetSysColor(COLOR_BTNFACE));
}

TEST(RtfFrame, UsesTheDialogFontItsCharsetAndTheMeasuredDashes) {
    SetDialogFont("Courier New", 10);
    TRtfFrame frame = DialogRtfFrame();
    EXPECT_EQ(frame.FontName, "Courier New");
    EXPECT_EQ(frame.FontSize, 10);
    EXPECT_GT(frame.DashWidth, 21) << "21 dashes are wider than a pixel each";
    SetDialogFont("Courier New", 20);
    EXPECT_GT(DialogRtfFrame().DashWidth, frame.DashWidth) << "measured in the font of that size";
    std::string doc = GeneralSectionToRtf("Title");
    EXPECT_NE(doc.find("\\fcharset" + std::to_string(DefaultCharset()) + " Courier New;"),
              std::string::npos);
    EXPECT_NE(doc.find("\\f0\\fs40\r\n"), std::string::npos);
}

TEST(SystemTexts, DateAndOperatingSystem) {
    SYSTEMTIME t{2026, 12, 0, 6, 14, 5, 9, 0};
    std::string date = DateText(t);
    EXPECT_TRUE(std::regex_match(date, std::regex(R"(Sun, 6 Dec 2026 14:05:09 [+-]\d\d00)")))
        << date;
    EXPECT_EQ(OperatingSystemName(), "Microsoft Windows ") << "Wine reports an NT version above 5";
}

TEST(Clipboard, CopiesPlainTextForTheMainWindow) {
    ASSERT_TRUE(CopyToClipboard("first line\r\nsecond {line}"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_NE(data, nullptr);
    std::string text = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(text, "first line\r\nsecond {line}");
}

TEST(MainWindowRule, FirstVisibleUnownedNonToolWindow) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "MainWindowRuleTest";
    RegisterClassA(&wc);
    auto make = [&](DWORD exStyle, HWND owner, bool visible) {
        return CreateWindowExA(exStyle, "MainWindowRuleTest", "",
                               WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 50, 50, owner, nullptr,
                               instance, nullptr);
    };
    EXPECT_EQ(FindApplicationMainWindow(), nullptr);
    TWindow hidden(make(0, nullptr, false));
    TWindow tool(make(WS_EX_TOOLWINDOW, nullptr, true));
    TWindow owned(make(0, hidden.wnd, true));
    EXPECT_EQ(FindApplicationMainWindow(), nullptr)
        << "hidden, tool and owned windows do not count";
    TWindow appTool(make(WS_EX_TOOLWINDOW | WS_EX_APPWINDOW, nullptr, true));
    EXPECT_EQ(FindApplicationMainWindow(), appTool.wnd)
        << "a tool window that is also an application window";
    TWindow plain(make(0, nullptr, true));
    HWND found = FindApplicationMainWindow();
    EXPECT_TRUE(found == plain.wnd || found == appTool.wnd);
    DestroyWindow(appTool.wnd);
    appTool.wnd = nullptr;
    EXPECT_EQ(FindApplicationMainWindow(), plain.wnd);
}
