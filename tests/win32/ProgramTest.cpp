// Lumaro as its user meets it: the real program in its own process, and its main
// form in this one.
#include "GdiProbe.h"
#include "Unit1.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::string ProgramPath(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path; // <build>\tests\win32\program_tests.exe
    for (int i = 0; i < 3; ++i)
        p = p.substr(0, p.find_last_of('\\'));
    return p + "\\app\\" + name;
}

struct TFoundWindow {
    DWORD Pid;
    const char* ClassName;
    HWND Found;
};

BOOL CALLBACK FindWindowOfProcess(HWND wnd, LPARAM param) {
    auto* f = reinterpret_cast<TFoundWindow*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char cls[64] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (pid == f->Pid && IsWindowVisible(wnd) && std::string(cls) == f->ClassName) {
        f->Found = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD pid, const char* className, DWORD timeout = 20000) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        TFoundWindow f{pid, className, nullptr};
        EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&f));
        if (f.Found)
            return f.Found;
        Sleep(50);
    }
    return nullptr;
}

// A started program, ended when the test is done with it.
class TChildProcess {
public:
    explicit TChildProcess(const std::string& path) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string command = "\"" + path + "\"";
        started_ = CreateProcessA(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &pi_) != FALSE;
    }
    ~TChildProcess() {
        if (!started_)
            return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(pi_.hProcess, 99);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    bool Started() const { return started_; }
    DWORD Pid() const { return pi_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD timeout) {
        if (WaitForSingleObject(pi_.hProcess, timeout) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

TColor ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return static_cast<TColor>(c);
}

RECT ChildRectInParent(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

TEST(Program, MainWindowBlinksAndClosesWithExitCodeZero) {
    TChildProcess lumaro(ProgramPath("Lumaro.exe"));
    ASSERT_TRUE(lumaro.Started()) << ProgramPath("Lumaro.exe");
    HWND wnd = WaitForWindow(lumaro.Pid(), "TForm1");
    ASSERT_NE(wnd, nullptr) << "no main window";

    char caption[64] = {};
    GetWindowTextA(wnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "Form1");
    RECT r;
    GetWindowRect(wnd, &r);
    EXPECT_EQ(r.left, 573);
    EXPECT_EQ(r.top, 287);
    EXPECT_EQ(r.right - r.left, 241);
    EXPECT_EQ(r.bottom - r.top, 202);

    HWND memo = FindWindowExA(wnd, nullptr, "EDIT", nullptr);
    ASSERT_NE(memo, nullptr);
    RECT m = ChildRectInParent(memo, wnd);
    EXPECT_EQ(m.left, 8);
    EXPECT_EQ(m.top, 32);
    EXPECT_EQ(m.right, 225);
    EXPECT_EQ(m.bottom, 137);
    EXPECT_EQ(SendMessageA(memo, EM_GETLINECOUNT, 0, 0), 5);

    // Every LED's centre is lime or red, and each is seen in both colours over time.
    POINT origin{0, 0};
    ClientToScreen(wnd, &origin);
    std::vector<std::set<TColor>> seen(26);
    for (int sample = 0; sample < 30; ++sample) {
        for (int n = 1; n <= 26; ++n) {
            TColor c = ScreenPixel(origin.x + 8 * n + 8, origin.y + 8 + 8);
            EXPECT_TRUE(c == clLime || c == clRed) << "LED " << n << " shows " << std::hex << c;
            seen[static_cast<size_t>(n - 1)].insert(c);
        }
        Sleep(70);
    }
    for (int n = 1; n <= 26; ++n)
        EXPECT_EQ(seen[static_cast<size_t>(n - 1)].size(), 2u) << "LED " << n << " blinks";

    PostMessageA(wnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(lumaro.WaitForExit(15000), 0u);
}

TEST(Program, BrokenLayoutEndsStartUpWithAMessageNamingIt) {
    TChildProcess broken(ProgramPath("..\\tests\\win32\\LumaroBadLayout.exe"));
    ASSERT_TRUE(broken.Started());
    HWND box = WaitForWindow(broken.Pid(), "#32770");
    ASSERT_NE(box, nullptr) << "no message box";
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    std::string message = text;
    EXPECT_NE(message.find("EReadError"), std::string::npos) << message;
    EXPECT_NE(message.find("TFORM1"), std::string::npos) << message;
    EXPECT_NE(message.find("line 3: the string is not closed"), std::string::npos) << message;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(broken.WaitForExit(15000), 1u);
}

class MainForm : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm1(Application);
        form->InitializeFromLayout();
        form->Show();
        PumpMessages(100);
    }
    void TearDown() override { delete form; }
    TForm1* form = nullptr;
};

TEST_F(MainForm, FieldsHoldTheStoredLedsAndMemo) {
    TLmLED* leds[] = {form->LmLED1,  form->LmLED2,  form->LmLED3,  form->LmLED4,  form->LmLED5,
                      form->LmLED6,  form->LmLED7,  form->LmLED8,  form->LmLED9,  form->LmLED10,
                      form->LmLED11, form->LmLED12, form->LmLED13, form->LmLED14, form->LmLED15,
                      form->LmLED16, form->LmLED17, form->LmLED18, form->LmLED19, form->LmLED20,
                      form->LmLED21, form->LmLED22, form->LmLED23, form->LmLED24, form->LmLED25,
                      form->LmLED26};
    for (int n = 1; n <= 26; ++n) {
        TLmLED* led = leds[n - 1];
        ASSERT_NE(led, nullptr) << n;
        EXPECT_EQ(led->Name(), "LmLED" + std::to_string(n));
        EXPECT_EQ(led->BoundsRect().Left, 8 * n);
        EXPECT_EQ(led->Top(), 8);
        EXPECT_EQ(led->Width(), 17);
        EXPECT_TRUE(led->Active());
        EXPECT_EQ(led->Interval(), 200u);
        EXPECT_EQ(form->Control(n - 1), led) << "created in order";
    }
    ASSERT_NE(form->Memo1, nullptr);
    EXPECT_EQ(form->Memo1->Lines().Count(), 5);
    EXPECT_EQ(form->Memo1->TabOrder(), 0);
    EXPECT_EQ(form->Control(26), form->Memo1);
    EXPECT_EQ(form->Text(), "Form1");
    EXPECT_EQ(form->Color(), clBtnFace);
    EXPECT_EQ(form->Font().Name(), "MS Sans Serif");
    EXPECT_EQ(form->Font().Height(), -11);
}

// Thousands of colour changes, shown and minimised, leave the number of graphics
// objects where it was: counted both by the framework's own bookkeeping and by
// probing every handle index of the process.
TEST_F(MainForm, GraphicsObjectsStayFixedThroughThousandsOfToggles) {
    std::vector<TLmLED*> leds;
    for (int i = 0; i < 26; ++i)
        leds.push_back(dynamic_cast<TLmLED*>(form->Control(i)));
    auto toggleAll = [&](int rounds) {
        for (int r = 0; r < rounds; ++r) {
            for (TLmLED* led : leds)
                led->SetStatus(!led->Status());
            Application->ProcessMessages();
        }
    };
    auto minimise = [&](bool minimised) {
        ShowWindow(form->Handle(), minimised ? SW_MINIMIZE : SW_RESTORE);
        PumpMessages(200);
        EXPECT_EQ(IsIconic(form->Handle()) != FALSE, minimised);
    };
    // Every LED paints once, and the window goes through one minimise and restore:
    // Wine makes the bitmaps and regions of its window frame the first time it
    // restores a window, once per window.
    toggleAll(4);
    minimise(true);
    minimise(false);
    const long held = GdiObjectsHeld();
    const int live = CountLiveGdiObjects();

    toggleAll(100); // 2600 colour changes, painted
    EXPECT_EQ(GdiObjectsHeld(), held);
    EXPECT_EQ(CountLiveGdiObjects(), live);

    minimise(true);
    toggleAll(100); // 2600 more, nothing painted
    EXPECT_EQ(GdiObjectsHeld(), held);
    EXPECT_EQ(CountLiveGdiObjects(), live);

    minimise(false);
    PumpMessages(300); // the LEDs' own timers too
    EXPECT_EQ(GdiObjectsHeld(), held);
    EXPECT_EQ(CountLiveGdiObjects(), live);
}
