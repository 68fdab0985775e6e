#include "LedTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> events;

// A parent that records what it hears and answers hint questions with its colour.
class TListeningForm : public TForm {
public:
    TListeningForm() : TForm(nullptr) { SetBounds(150, 150, 200, 120); }
    TColor hintColour = 0x00123456;
    TControl* watched = nullptr;

    void WndProc(TMessage& m) override {
        if ((m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) &&
            m.LParam == reinterpret_cast<LPARAM>(watched))
            events.push_back(m.Msg == CM_MOUSEENTER ? "parent heard enter" : "parent heard leave");
        if (m.Msg == CM_HINTSHOW) {
            reinterpret_cast<THintInfo*>(m.LParam)->HintColor = hintColour;
            return;
        }
        TForm::WndProc(m);
    }
};

// Records which operation each notification reached.
class TRecordingControl : public TLmGraphicControl {
public:
    using TLmGraphicControl::TLmGraphicControl;
    std::vector<std::string> calls;

protected:
    void HandleTextChange() override { calls.push_back("text"); }
    bool HandleDialogChar(wchar_t key, TShiftState shift, const std::wstring& text) override {
        calls.push_back("dialogchar " + std::to_string(key) + " " + std::to_string(shift) + " " +
                        std::to_string(text.size()));
        return true;
    }
    bool HandleHitTest(int x, int y) override {
        calls.push_back("hittest " + std::to_string(x) + " " + std::to_string(y));
        return false;
    }
    void HandleFocusChange(TWinControl*) override { calls.push_back("focus"); }
    void HandleVisibilityChange() override { calls.push_back("visibility"); }
    void HandleEnabledChange() override { calls.push_back("enabled"); }
    void HandleColorChange() override { calls.push_back("color"); }
    void HandleFontChange() override { calls.push_back("font"); }
    void HandleParentFontChange() override { calls.push_back("parentfont"); }
    void HandleParentColorChange() override { calls.push_back("parentcolor"); }
    void HandleParentShowHintChange() override { calls.push_back("parentshowhint"); }
    bool HandleHintShow(THintInfo&) override {
        calls.push_back("hintshow");
        return true;
    }
    void HandleMouseEnter(TControl*) override { calls.push_back("mouseenter"); }
    void HandleMouseLeave(TControl*) override { calls.push_back("mouseleave"); }
};

} // namespace

TEST(ExControl, HoverStartRunsBeforeTheFrameworkAndHoverEndAfter) {
    events.clear();
    auto form = std::make_unique<TListeningForm>();
    auto* led = new TLmLED(form.get());
    led->SetParent(form.get());
    led->SetBounds(20, 20, 17, 17);
    form->watched = led;
    led->OnHoverStart = [&](TObject*) {
        EXPECT_TRUE(led->Hovered());
        events.push_back("hover start");
    };
    led->OnHoverEnd = [&](TObject*) {
        EXPECT_FALSE(led->Hovered());
        events.push_back("hover end");
    };
    form->Show();
    HWND wnd = form->Handle();
    SendMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(events.empty()) << "the pointer is over the form only";
    SendMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(28, 28));
    EXPECT_TRUE(led->Hovered());
    SendMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 29)); // still inside: nothing new
    SendMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(100, 80));
    EXPECT_FALSE(led->Hovered());
    EXPECT_EQ(events, (std::vector<std::string>{"hover start", "parent heard enter",
                                                "parent heard leave", "hover end"}));
    // Leaving the window altogether also ends the hover.
    events.clear();
    SendMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(28, 28));
    SendMessageA(wnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(led->Hovered());
    EXPECT_EQ(events.back(), "hover end");
}

TEST(ExControl, HintColourFollowsTheReservedValues) {
    auto form = std::make_unique<TListeningForm>();
    Application->SetHintColor(0x00ABCDEF);
    struct Case {
        TColor hintBackColor;
        bool withParent;
        TColor expected;
    };
    const TColor untouched = 0x00010203;
    const Case cases[] = {
        {clDefault, true, 0x00123456}, // the parent's colour
        {clDefault, false, untouched}, // no parent: unchanged
        {clNone, true, 0x00ABCDEF},    // the application's hint colour
        {0x00445566, true, 0x00445566},
    };
    for (const Case& c : cases) {
        TLmLED led(nullptr);
        if (c.withParent)
            led.SetParent(form.get());
        EXPECT_EQ(led.HintBackColor(), clDefault) << "the default asks the parent";
        led.SetHintBackColor(c.hintBackColor);
        THintInfo info;
        info.HintColor = untouched;
        led.Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.HintColor, c.expected) << std::hex << c.hintBackColor;
        led.SetParent(nullptr);
    }
    Application->SetHintColor(clInfoBk);
}

TEST(ExControl, EveryNotificationCodeReachesItsOperation) {
    TRecordingControl control(nullptr);
    struct Case {
        UINT code;
        WPARAM wParam;
        LPARAM lParam;
        const char* call;
        LRESULT result;
    };
    THintInfo info;
    const Case cases[] = {
        {45062, 'a', 0x08000000 | 0x20000000, "dialogchar 97 3 1", 1},
        {45063, 0, 0, "focus", 0},
        {45064, 0, 0, "parentfont", 0},
        {45065, 0, 0, "parentcolor", 0},
        {45066, 0, MAKELPARAM(static_cast<WORD>(-3), 7), "hittest -3 7", 0},
        {45067, 0, 0, "visibility", 0},
        {45068, 0, 0, "enabled", 0},
        {45069, 0, 0, "color", 0},
        {45070, 0, 0, "font", 0},
        {45074, 0, 0, "text", 0},
        {45075, 0, 0, "mouseenter", 0},
        {45076, 0, 0, "mouseleave", 0},
        {45091, 0, 0, "parentshowhint", 0},
        {45104, 0, reinterpret_cast<LPARAM>(&info), "hintshow", 1},
    };
    for (const Case& c : cases) {
        control.calls.clear();
        EXPECT_EQ(control.Perform(c.code, c.wParam, c.lParam), c.result) << c.code;
        ASSERT_EQ(control.calls.size(), 1u) << c.code;
        EXPECT_EQ(control.calls[0], c.call);
    }
    control.calls.clear();
    EXPECT_EQ(control.Perform(47056, 0, 0), 0) << "the LED family has no extension";
    EXPECT_EQ(control.Perform(CM_BASE + 60, 0, 0), 0);
    EXPECT_TRUE(control.calls.empty());
    void* marker = nullptr;
    EXPECT_TRUE(control.GetInterface(IID_ILmExControl, &marker));
    EXPECT_NE(marker, nullptr);
}

TEST(ExControl, BaseOperationsPassNotificationsOnToTheFramework) {
    TLmLED led(nullptr);
    EXPECT_EQ(led.Perform(CM_HITTEST, 0, MAKELPARAM(3, 3)), 1)
        << "the framework's hit test says yes";
    EXPECT_EQ(led.Perform(CM_DIALOGCHAR, 'x', 0), 0);
    auto form = std::make_unique<TListeningForm>();
    led.SetParent(form.get());
    int parentColourChanges = 0;
    led.OnParentColorChange = [&](TObject*) { ++parentColourChanges; };
    form->SetColor(clWhite);
    EXPECT_EQ(parentColourChanges, 1);
    led.SetParent(nullptr);
}
