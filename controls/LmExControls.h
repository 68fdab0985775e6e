// The extended graphic-control base: framework notifications as overridable
// operations, hover tracking and a hint background colour.
#pragma once

#include "Controls.h"

#include <string>

// The marker interface every extended control implements; it adds no operations.
// {4C2D9A71-6B3E-4F58-9D0A-E17B52C3A8F4}
extern const GUID IID_ILmExControl;
// An extension that controls may implement; the extension query asks for it.
// {B0E4F3D2-8A19-4C6B-A5D7-3F2E91C08B6D}
extern const GUID IID_ILmExtension;

struct ILmExControl {
protected:
    ~ILmExControl() = default;
};

// A design-time "about" entry; means nothing at run time.
enum class TLmAboutInfo { aiAbout };

class TLmExGraphicControl : public TGraphicControl, public ILmExControl {
public:
    explicit TLmExGraphicControl(TComponent* owner);

    TLmAboutInfo AboutInfo = TLmAboutInfo::aiAbout;
    // clDefault asks the parent, clNone takes the application's hint colour.
    TColor HintBackColor() const { return hintBackColor_; }
    void SetHintBackColor(TColor color) { hintBackColor_ = color; }
    bool Hovered() const { return hovered_; }

    TNotifyEvent OnHoverStart;
    TNotifyEvent OnHoverEnd;
    TNotifyEvent OnParentColorChange;

    bool GetInterface(const GUID& iid, void** object) override;
    void WndProc(TMessage& message) override;

protected:
    virtual void HandleTextChange();
    virtual bool HandleDialogChar(wchar_t key, TShiftState shift, const std::wstring& keyText);
    virtual bool HandleHitTest(int x, int y);
    virtual void HandleFocusChange(TWinControl* control);
    virtual void HandleVisibilityChange();
    virtual void HandleEnabledChange();
    virtual void HandleColorChange();
    virtual void HandleFontChange();
    virtual void HandleParentFontChange();
    virtual void HandleParentColorChange();
    virtual void HandleParentShowHintChange();
    virtual bool HandleHintShow(THintInfo& info);
    virtual void HandleMouseEnter(TControl* control);
    virtual void HandleMouseLeave(TControl* control);

    // Runs the framework's default handling on a copy of the notification being
    // dispatched (same code and parameters, zero result) and returns its result.
    LRESULT PassOn();
    LRESULT PassOn(WPARAM wParam, LPARAM lParam);

private:
    struct TNotification;
    static const TNotification kNotifications[];

    void DispatchDialogChar(TMessage& m);
    void DispatchFocusChange(TMessage& m);
    void DispatchParentFontChange(TMessage& m);
    void DispatchParentColorChange(TMessage& m);
    void DispatchHitTest(TMessage& m);
    void DispatchVisibilityChange(TMessage& m);
    void DispatchEnabledChange(TMessage& m);
    void DispatchColorChange(TMessage& m);
    void DispatchFontChange(TMessage& m);
    void DispatchTextChange(TMessage& m);
    void DispatchMouseEnter(TMessage& m);
    void DispatchMouseLeave(TMessage& m);
    void DispatchParentShowHintChange(TMessage& m);
    void DispatchHintShow(TMessage& m);
    void DispatchExtensionQuery(TMessage& m);

    TColor hintBackColor_ = clDefault;
    bool hovered_ = false;
    const TMessage* dispatching_ = nullptr;
};
