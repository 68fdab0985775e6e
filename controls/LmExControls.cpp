#include "LmExControls.h"

#include "Forms.h"

const GUID IID_ILmExControl = {
    0x4C2D9A71, 0x6B3E, 0x4F58, {0x9D, 0x0A, 0xE1, 0x7B, 0x52, 0xC3, 0xA8, 0xF4}};
const GUID IID_ILmExtension = {
    0xB0E4F3D2, 0x8A19, 0x4C6B, {0xA5, 0xD7, 0x3F, 0x2E, 0x91, 0xC0, 0x8B, 0x6D}};

struct TLmExGraphicControl::TNotification {
    UINT Code;
    void (TLmExGraphicControl::*Dispatch)(TMessage&);
};

const TLmExGraphicControl::TNotification TLmExGraphicControl::kNotifications[] = {
    {CM_DIALOGCHAR, &TLmExGraphicControl::DispatchDialogChar},
    {CM_FOCUSCHANGED, &TLmExGraphicControl::DispatchFocusChange},
    {CM_PARENTFONTCHANGED, &TLmExGraphicControl::DispatchParentFontChange},
    {CM_PARENTCOLORCHANGED, &TLmExGraphicControl::DispatchParentColorChange},
    {CM_HITTEST, &TLmExGraphicControl::DispatchHitTest},
    {CM_VISIBLECHANGED, &TLmExGraphicControl::DispatchVisibilityChange},
    {CM_ENABLEDCHANGED, &TLmExGraphicControl::DispatchEnabledChange},
    {CM_COLORCHANGED, &TLmExGraphicControl::DispatchColorChange},
    {CM_FONTCHANGED, &TLmExGraphicControl::DispatchFontChange},
    {CM_TEXTCHANGED, &TLmExGraphicControl::DispatchTextChange},
    {CM_MOUSEENTER, &TLmExGraphicControl::DispatchMouseEnter},
    {CM_MOUSELEAVE, &TLmExGraphicControl::DispatchMouseLeave},
    {CM_PARENTSHOWHINTCHANGED, &TLmExGraphicControl::DispatchParentShowHintChange},
    {CM_HINTSHOW, &TLmExGraphicControl::DispatchHintShow},
    {CM_EXTENSIONQUERY, &TLmExGraphicControl::DispatchExtensionQuery},
};

TLmExGraphicControl::TLmExGraphicControl(TComponent* owner) : TGraphicControl(owner) {
    hintBackColor_ = clDefault;
}

bool TLmExGraphicControl::GetInterface(const GUID& iid, void** object) {
    if (IsEqualGUID(iid, IID_ILmExControl)) {
        *object = static_cast<ILmExControl*>(this);
        return true;
    }
    return TGraphicControl::GetInterface(iid, object);
}

void TLmExGraphicControl::WndProc(TMessage& m) {
    // A designer may claim a message of a control being designed; this framework
    // has no designer, so nothing claims it.
    for (const TNotification& n : kNotifications) {
        if (n.Code == m.Msg) {
            const TMessage* outer = dispatching_;
            dispatching_ = &m;
            struct Restore {
                const TMessage*& slot;
                const TMessage* value;
                ~Restore() { slot = value; }
            } restore{dispatching_, outer};
            (this->*n.Dispatch)(m);
            return;
        }
    }
    TGraphicControl::WndProc(m);
}

LRESULT TLmExGraphicControl::PassOn() {
    return dispatching_ ? PassOn(dispatching_->WParam, dispatching_->LParam) : 0;
}

LRESULT TLmExGraphicControl::PassOn(WPARAM wParam, LPARAM lParam) {
    if (!dispatching_)
        return 0;
    TMessage copy{dispatching_->Msg, wParam, lParam, 0};
    TGraphicControl::WndProc(copy);
    return copy.Result;
}

// ---- dispatch: decode the notification, call the operation

void TLmExGraphicControl::DispatchDialogChar(TMessage& m) {
    auto key = static_cast<wchar_t>(LOWORD(m.WParam));
    m.Result = HandleDialogChar(key, KeyDataToShiftState(m.LParam), std::wstring(1, key)) ? 1 : 0;
}

void TLmExGraphicControl::DispatchFocusChange(TMessage& m) {
    HandleFocusChange(reinterpret_cast<TWinControl*>(m.LParam));
}

void TLmExGraphicControl::DispatchParentFontChange(TMessage&) {
    HandleParentFontChange();
}
void TLmExGraphicControl::DispatchParentColorChange(TMessage&) {
    HandleParentColorChange();
}

void TLmExGraphicControl::DispatchHitTest(TMessage& m) {
    int x = static_cast<int16_t>(LOWORD(m.LParam));
    int y = static_cast<int16_t>(HIWORD(m.LParam));
    m.Result = HandleHitTest(x, y) ? 1 : 0;
}

void TLmExGraphicControl::DispatchVisibilityChange(TMessage&) {
    HandleVisibilityChange();
}
void TLmExGraphicControl::DispatchEnabledChange(TMessage&) {
    HandleEnabledChange();
}
void TLmExGraphicControl::DispatchColorChange(TMessage&) {
    HandleColorChange();
}
void TLmExGraphicControl::DispatchFontChange(TMessage&) {
    HandleFontChange();
}
void TLmExGraphicControl::DispatchTextChange(TMessage&) {
    HandleTextChange();
}

void TLmExGraphicControl::DispatchMouseEnter(TMessage& m) {
    HandleMouseEnter(reinterpret_cast<TControl*>(m.LParam));
}

void TLmExGraphicControl::DispatchMouseLeave(TMessage& m) {
    HandleMouseLeave(reinterpret_cast<TControl*>(m.LParam));
}

void TLmExGraphicControl::DispatchParentShowHintChange(TMessage&) {
    HandleParentShowHintChange();
}

void TLmExGraphicControl::DispatchHintShow(TMessage& m) {
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    if (!info) {
        m.Result = PassOn();
        return;
    }
    m.Result = HandleHintShow(*info) ? 1 : 0;
}

void TLmExGraphicControl::DispatchExtensionQuery(TMessage& m) {
    void* extension = nullptr;
    m.Result = GetInterface(IID_ILmExtension, &extension) ? 1 : 0;
}

// ---- the operations' base behaviour

void TLmExGraphicControl::HandleTextChange() {
    PassOn();
}

bool TLmExGraphicControl::HandleDialogChar(wchar_t key, TShiftState shift, const std::wstring&) {
    return PassOn(static_cast<WPARAM>(key), ShiftStateToKeyData(shift)) != 0;
}

bool TLmExGraphicControl::HandleHitTest(int x, int y) {
    return PassOn(0, MAKELPARAM(static_cast<int16_t>(x), static_cast<int16_t>(y))) != 0;
}

void TLmExGraphicControl::HandleFocusChange(TWinControl*) {
    PassOn();
}
void TLmExGraphicControl::HandleVisibilityChange() {
    PassOn();
}
void TLmExGraphicControl::HandleEnabledChange() {
    PassOn();
}
void TLmExGraphicControl::HandleColorChange() {
    PassOn();
}
void TLmExGraphicControl::HandleFontChange() {
    PassOn();
}
void TLmExGraphicControl::HandleParentFontChange() {
    PassOn();
}

void TLmExGraphicControl::HandleParentColorChange() {
    PassOn();
    if (OnParentColorChange)
        OnParentColorChange(this);
}

void TLmExGraphicControl::HandleParentShowHintChange() {
    PassOn();
}

bool TLmExGraphicControl::HandleHintShow(THintInfo& info) {
    if (hintBackColor_ == clNone) {
        info.HintColor = Application ? Application->HintColor() : clInfoBk;
    } else if (hintBackColor_ != clDefault) {
        info.HintColor = hintBackColor_;
    } else if (Parent()) {
        // The parent says which colour its hints take.
        THintInfo copy = info;
        Parent()->Perform(CM_HINTSHOW, dispatching_ ? dispatching_->WParam : 0,
                          reinterpret_cast<LPARAM>(&copy));
        info.HintColor = copy.HintColor;
    }
    return PassOn(dispatching_ ? dispatching_->WParam : 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

void TLmExGraphicControl::HandleMouseEnter(TControl* control) {
    hovered_ = true;
    if (OnHoverStart)
        OnHoverStart(this);
    PassOn(0, reinterpret_cast<LPARAM>(control));
}

void TLmExGraphicControl::HandleMouseLeave(TControl* control) {
    hovered_ = false;
    PassOn(0, reinterpret_cast<LPARAM>(control));
    if (OnHoverEnd)
        OnHoverEnd(this);
}
