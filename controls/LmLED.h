// The blinking LED: a round light in one of two colours, toggled by its own timer.
#pragma once

#include "ExtCtrls.h"
#include "Graphics.h"
#include "LmComponent.h"

#include <memory>

class TLmCustomLED : public TLmGraphicControl {
public:
    explicit TLmCustomLED(TComponent* owner);
    ~TLmCustomLED() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    unsigned Interval() const;
    void SetInterval(unsigned value);
    bool Status() const { return status_; }
    void SetStatus(bool value);
    TColor ColorOn() const { return colorOn_; }
    void SetColorOn(TColor value);
    TColor ColorOff() const { return colorOff_; }
    void SetColorOff(TColor value);

    // Called after every assignment to Status, changed or not.
    TNotifyEvent OnStatusChange;

    void SetBounds(int left, int top, int width, int height) override;

    // The recoloured picture that is painted, and the mask of the disc.
    TBitmap& Image() { return *image_; }
    TBitmap& Mask() { return *mask_; }
    // The blink timer, owned by the LED.
    const TTimer& BlinkTimer() const { return *timer_; }

protected:
    void HandleColorChange() override;
    void Paint() override;

private:
    void Toggle(TObject* sender);

    std::unique_ptr<TBitmap> image_;
    std::unique_ptr<TBitmap> mask_;
    TTimer* timer_ = nullptr;
    TColor colorOn_ = clLime;
    TColor colorOff_ = clRed;
    bool active_ = false;
    bool status_ = false;
};

// The LED as a stored layout sees it: publishes Active, ColorOn, ColorOff,
// Interval, Status and the usual properties of a graphic control; Color is not
// stored.
class TLmLED : public TLmCustomLED {
public:
    explicit TLmLED(TComponent* owner) : TLmCustomLED(owner) {}
    bool ReadProperty(const TLayoutProperty& property) override;
    static TComponent* Create(TComponent* owner) { return new TLmLED(owner); }
};

void LmLEDInitialization();
void LmLEDFinalization();
