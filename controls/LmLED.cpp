#include "LmLED.h"

#include "ResourceStream.h"
#include "SysUtils.h"

namespace {

const char kColorImage[] = "LmCustomLEDGREEN";
const char kMaskImage[] = "LmCustomLEDMASK";

// The pictures live in the module that holds this code.
HINSTANCE ImagesModule() {
    return ModuleOfAddress(reinterpret_cast<const void*>(&ImagesModule));
}

} // namespace

TLmCustomLED::TLmCustomLED(TComponent* owner) : TLmGraphicControl(owner) {
    image_ = std::make_unique<TBitmap>();
    mask_ = std::make_unique<TBitmap>();
    mask_->LoadFromResourceName(ImagesModule(), kMaskImage);

    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->SetOnTimer([this](TObject* sender) { Toggle(sender); });
    timer_->SetInterval(1000);

    SetColor(clLime);
    SetWidth(17);
    SetHeight(17);

    SetColorOn(clLime);
    SetColorOff(clRed);
    SetActive(false);
    SetStatus(true);
}

TLmCustomLED::~TLmCustomLED() {
    // No tick may reach a half-destroyed LED.
    timer_->SetEnabled(false);
    timer_->SetOnTimer(nullptr);
    image_.reset();
    mask_.reset();
}

void TLmCustomLED::SetActive(bool value) {
    active_ = value;
    if (!IsDesigning())
        timer_->SetEnabled(value);
}

unsigned TLmCustomLED::Interval() const {
    return timer_->Interval();
}

void TLmCustomLED::SetInterval(unsigned value) {
    if (value != timer_->Interval())
        timer_->SetInterval(value);
}

void TLmCustomLED::SetStatus(bool value) {
    status_ = value;
    SetColor(status_ ? colorOn_ : colorOff_);
    if (OnStatusChange)
        OnStatusChange(this);
}

void TLmCustomLED::SetColorOn(TColor value) {
    colorOn_ = value;
    if (status_)
        SetColor(value);
}

void TLmCustomLED::SetColorOff(TColor value) {
    colorOff_ = value;
    if (!status_)
        SetColor(value);
}

void TLmCustomLED::Toggle(TObject*) {
    SetStatus(!status_);
}

void TLmCustomLED::SetBounds(int left, int top, int width, int height) {
    if (AutoSize() && (Align() == TAlign::alNone || Align() == TAlign::alCustom) && image_ &&
        !image_->Empty()) {
        width = image_->Width();
        height = image_->Height();
    }
    TLmGraphicControl::SetBounds(left, top, width, height);
}

void TLmCustomLED::HandleColorChange() {
    TLmGraphicControl::HandleColorChange();
    // Always from the stored picture, so colours never accumulate.
    image_->LoadFromResourceName(ImagesModule(), kColorImage);
    image_->SetPixelFormat(TPixelFormat::pf24bit);
    const TColor color = Color();
    for (int x = 0; x < image_->Width(); ++x)
        for (int y = 0; y < image_->Height(); ++y)
            if (image_->Pixel(x, y) == clLime)
                image_->SetPixel(x, y, color);
    Repaint();
}

void TLmCustomLED::Paint() {
    if (IsDesigning())
        Canvas().DrawDashedFrame(ClientRect());
    const int w = image_->Width();
    const int h = image_->Height();
    const TRect source{0, 0, w, h};
    const TRect dest = source.Offset((ClientWidth() - w) / 2, (ClientHeight() - h) / 2);
    Canvas().CopyMode = SRCAND;
    Canvas().CopyRect(dest, *mask_, source);
    Canvas().CopyMode = SRCPAINT;
    Canvas().CopyRect(dest, *image_, source);
}

bool TLmLED::ReadProperty(const TLayoutProperty& p) {
    if (p.Name == "Active")
        SetActive(LayoutBoolean(p));
    else if (p.Name == "ColorOn")
        SetColorOn(LayoutInteger(p));
    else if (p.Name == "ColorOff")
        SetColorOff(LayoutInteger(p));
    else if (p.Name == "Interval") {
        int32_t interval = LayoutInteger(p);
        if (interval < 0)
            throw EReadError("line " + std::to_string(p.Line) + ": Interval must not be negative");
        SetInterval(static_cast<unsigned>(interval));
    } else if (p.Name == "Status")
        SetStatus(LayoutBoolean(p));
    else if (p.Name == "Color" || p.Name == "Font.Name" || p.Name == "Caption")
        return false; // not published
    else
        return TLmCustomLED::ReadProperty(p);
    return true;
}

void LmLEDInitialization() {
    RegisterComponentClass("TLmLED", &TLmLED::Create);
}
void LmLEDFinalization() {
    UnregisterComponentClass("TLmLED");
}
