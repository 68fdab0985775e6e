#include "LedTestSupport.h"
#include "ResourceStream.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Counts colour-change operations: each one reloads, recolours and repaints.
class TCountingLED : public TLmLED {
public:
    using TLmLED::TLmLED;
    int colourChanges = 0;

protected:
    void HandleColorChange() override {
        ++colourChanges;
        TLmLED::HandleColorChange();
    }
};

int CountPixels(TBitmap& b, TColor colour) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            n += b.Pixel(x, y) == colour;
    return n;
}

} // namespace

TEST(LED, FreshLedIsALimeDiscThatIsOnAndIdle) {
    TLmLED led(nullptr);
    EXPECT_EQ(led.Width(), 17);
    EXPECT_EQ(led.Height(), 17);
    EXPECT_EQ(led.Color(), clLime);
    EXPECT_TRUE(led.Status());
    EXPECT_FALSE(led.Active());
    EXPECT_FALSE(led.BlinkTimer().Enabled());
    EXPECT_EQ(led.Interval(), 1000u);
    EXPECT_EQ(led.ColorOn(), clLime);
    EXPECT_EQ(led.ColorOff(), clRed);
    EXPECT_EQ(led.Image().PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(CountPixels(led.Image(), clLime), 92);
    EXPECT_EQ(CountPixels(led.Image(), clWhite), 9);
    EXPECT_EQ(CountPixels(led.Image(), clGray), 37);
}

TEST(LED, ColorOffWhileOnShowsOnlyAtTheNextToggle) {
    TCountingLED led(nullptr);
    led.colourChanges = 0;
    led.SetColorOff(clBlue);
    EXPECT_EQ(led.Color(), clLime);
    EXPECT_EQ(led.colourChanges, 0);
    EXPECT_EQ(CountPixels(led.Image(), clLime), 92);
    led.SetStatus(false);
    EXPECT_EQ(led.Color(), clBlue);
    EXPECT_EQ(CountPixels(led.Image(), clBlue), 92);
    EXPECT_EQ(CountPixels(led.Image(), clLime), 0);
    led.SetStatus(true);
    EXPECT_EQ(CountPixels(led.Image(), clLime), 92) << "each change starts from the stored picture";
    EXPECT_EQ(CountPixels(led.Image(), clWhite), 9);
}

TEST(LED, EqualOnAndOffColoursMakeTicksInvisibleButStillNotify) {
    auto form = ShowHostForm();
    auto* led = new TCountingLED(form.get());
    led->SetParent(form.get());
    led->SetColorOn(clRed);
    led->colourChanges = 0;
    int notifications = 0;
    led->OnStatusChange = [&](TObject* sender) {
        EXPECT_EQ(sender, led);
        ++notifications;
    };
    led->SetInterval(20);
    led->SetActive(true);
    PumpMessages(400);
    led->SetActive(false);
    EXPECT_GE(notifications, 3) << "the timer ticked";
    EXPECT_EQ(led->colourChanges, 0) << "no reload or repaint";
    EXPECT_EQ(led->Color(), clRed);
}

TEST(LED, TimerTogglesWhileActiveAndStopsWhenInactive) {
    auto form = ShowHostForm();
    auto* led = new TLmLED(form.get());
    led->SetParent(form.get());
    int toggles = 0;
    led->OnStatusChange = [&](TObject*) { ++toggles; };
    led->SetInterval(20);
    led->SetActive(true);
    EXPECT_TRUE(led->BlinkTimer().Enabled());
    PumpMessages(300);
    led->SetActive(false);
    EXPECT_GE(toggles, 3);
    const int stopped = toggles;
    PumpMessages(150);
    EXPECT_EQ(toggles, stopped);
}

TEST(LED, SettingTheSameIntervalDoesNotRestartThePeriod) {
    auto form = ShowHostForm();
    auto* led = new TLmLED(form.get());
    led->SetParent(form.get());
    DWORD firstTick = 0;
    led->OnStatusChange = [&](TObject*) {
        if (!firstTick)
            firstTick = GetTickCount();
    };
    led->SetInterval(1000);
    DWORD start = GetTickCount();
    led->SetActive(true);
    PumpMessages(600);
    led->SetInterval(1000);
    while (!firstTick && GetTickCount() - start < 3000)
        PumpMessages(20);
    ASSERT_NE(firstTick, 0u);
    // A restart at 600 ms would put the first tick at 1600 ms.
    EXPECT_LT(firstTick - start, 1400u);
}

TEST(LED, AutoSizeKeepsThePictureSizeUnlessAligned) {
    TLmLED led(nullptr);
    led.SetBounds(0, 0, 40, 30);
    EXPECT_EQ(led.Width(), 40);
    led.SetAutoSize(true);
    EXPECT_EQ(led.Width(), 17);
    led.SetBounds(5, 6, 60, 50);
    EXPECT_EQ(led.Left(), 5);
    EXPECT_EQ(led.Width(), 17);
    EXPECT_EQ(led.Height(), 17);
    led.SetAlign(TAlign::alCustom);
    led.SetBounds(5, 6, 60, 50);
    EXPECT_EQ(led.Width(), 17);
    led.SetAlign(TAlign::alClient);
    led.SetBounds(5, 6, 60, 50);
    EXPECT_EQ(led.Width(), 60);
}

// The painted control shows the disc centred (truncating division), the rest untouched.
TEST(LED, PaintingCentresTheDiscAndLeavesTheRestTransparent) {
    const TColor background = 0x00C08040;
    struct Case {
        int width, height;
    };
    for (Case c : {Case{10, 10}, Case{17, 17}, Case{31, 24}}) {
        TLmLED led(nullptr);
        led.SetBounds(0, 0, c.width, c.height);
        TBitmap painted;
        PaintInto(led, painted, background);
        TBitmap mask;
        mask.LoadFromResourceName(MainInstance(), "LmCustomLEDMASK");
        const int dx = (c.width - 17) / 2, dy = (c.height - 17) / 2;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                int sx = x - dx, sy = y - dy;
                bool disc =
                    sx >= 0 && sy >= 0 && sx < 17 && sy < 17 && mask.Pixel(sx, sy) == clBlack;
                TColor expected = disc ? led.Image().Pixel(sx, sy) : background;
                ASSERT_EQ(painted.Pixel(x, y), expected)
                    << c.width << "x" << c.height << " at " << x << "," << y;
            }
    }
}

TEST(LED, SystemColourIsResolvedIntoThePicture) {
    TLmLED led(nullptr);
    led.SetColorOn(clBtnFace);
    EXPECT_EQ(led.Color(), clBtnFace);
    EXPECT_EQ(CountPixels(led.Image(), static_cast<TColor>(GetSysColor(COLOR_BTNFACE))), 92);
}

TEST(LED, DestroyingAnActiveLedStopsItsTicks) {
    auto form = ShowHostForm();
    int ticks = 0;
    {
        auto* led = new TLmLED(form.get());
        led->SetParent(form.get());
        led->OnStatusChange = [&](TObject*) { ++ticks; };
        led->SetInterval(10);
        led->SetActive(true);
        PumpMessages(100);
        delete led;
    }
    const int atDestruction = ticks;
    PumpMessages(100);
    EXPECT_EQ(ticks, atDestruction);
    EXPECT_EQ(form->ControlCount(), 0);
}
