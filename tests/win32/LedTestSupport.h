// A shown host form for the LED tests and helpers to look at what was painted.
#pragma once

#include "Forms.h"
#include "GdiProbe.h"
#include "LmLED.h"

#include <memory>

class THostForm : public TForm {
public:
    THostForm() : TForm(nullptr) {
        SetBounds(100, 100, 300, 200);
        SetText("LED test");
    }
};

inline std::unique_ptr<THostForm> ShowHostForm() {
    auto form = std::make_unique<THostForm>();
    form->Show();
    PumpMessages(50);
    return form;
}

// Paints a control into a bitmap filled with a background colour.
inline void PaintInto(TGraphicControl& control, TBitmap& target, TColor background) {
    target.SetSize(control.Width(), control.Height());
    for (int y = 0; y < control.Height(); ++y)
        for (int x = 0; x < control.Width(); ++x)
            target.SetPixel(x, y, background);
    control.Perform(WM_PAINT, reinterpret_cast<WPARAM>(target.Canvas().Handle()), 0);
}
