// Components and controls: ownership, stored properties, notifications, painting.
#pragma once

#include "Classes.h"
#include "FormLayout.h"
#include "Graphics.h"
#include "Types.h"
#include "WinHandles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A message as the framework dispatches it: window messages and its own notifications.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// The framework's internal notifications.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;             // 45062
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;           // 45063
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;      // 45064
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;     // 45065
constexpr UINT CM_HITTEST = CM_BASE + 10;               // 45066
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;        // 45067
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;        // 45068
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;          // 45069
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;           // 45070
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;           // 45074
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;            // 45075
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;            // 45076
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;       // 45090
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35; // 45091
constexpr UINT CM_HINTSHOW = CM_BASE + 48;              // 45104
constexpr UINT CM_EXTENSIONQUERY = 47056;
// Notifications that a window sends its parent, reflected back to the sender.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;

enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = unsigned;

// Key data bits of the dialog-character notification.
constexpr LPARAM kKeyDataShift = 0x08000000;
constexpr LPARAM kKeyDataCtrl = 0x10000000;
constexpr LPARAM kKeyDataAlt = 0x20000000;
TShiftState KeyDataToShiftState(LPARAM keyData);
LPARAM ShiftStateToKeyData(TShiftState shift);

class TControl;
class TWinControl;

// What a hint about to show carries; the LParam of CM_HINTSHOW.
struct THintInfo {
    TControl* HintControl = nullptr;
    TColor HintColor = clInfoBk;
    TPoint CursorPos;
    std::string HintStr;
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// Where exceptions raised inside window procedures and timers go; they must never
// unwind through the system's own frames. The application object sets it.
extern void (*ApplicationHandleException)(TObject* sender);

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Component(int index) const { return components_.at(static_cast<size_t>(index)); }
    TComponent* FindComponent(const std::string& name) const;

    // Design mode: set by a form designer, never by the running program.
    bool IsDesigning() const { return designing_; }
    void SetDesigning(bool designing) { designing_ = designing; }
    bool IsLoading() const { return loading_; }

    // Interfaces the component implements; reference counting stays with the owner.
    virtual bool GetInterface(const GUID& iid, void** object);

    // Applies one stored property; false when the class has no property by that name.
    virtual bool ReadProperty(const TLayoutProperty& property);
    void BeginLoading() { loading_ = true; }
    // Called once all stored properties are applied.
    virtual void Loaded() { loading_ = false; }

protected:
    // Destroys the owned components, last first. Derived destructors whose parts
    // the owned components may still use call it before anything else.
    void DestroyComponents();

private:
    TComponent* owner_;
    std::vector<TComponent*> components_;
    std::string name_;
    bool designing_ = false;
    bool loading_ = false;
};

// Creates a component of a registered class by its name (the stored layout's way).
using TComponentFactory = TComponent* (*)(TComponent* owner);
void RegisterComponentClass(const std::string& className, TComponentFactory factory);
void UnregisterComponentClass(const std::string& className);
TComponentFactory FindComponentClass(const std::string& className);

// Colour names a stored layout may use (clBtnFace, clLime, ...).
bool ColorFromName(const std::string& name, TColor& color);

using TMouseEvent = std::function<void(TObject* sender, int x, int y)>;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    TRect ClientRect() const { return {0, 0, ClientWidth(), ClientHeight()}; }

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TFont& Font() { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align) { align_ = align; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseMove;
    TMouseEvent OnMouseUp;

    // Sends a message straight to the control's handler and returns its result.
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void WndProc(TMessage& message);
    // What is left when no handler claimed a message.
    virtual void DefaultHandler(TMessage& message);

    // Asks for a later paint of the control's area.
    virtual void Invalidate();
    // Paints the control at once.
    virtual void Repaint();

    bool ReadProperty(const TLayoutProperty& property) override;

protected:
    virtual void Click();
    void NotifyParentChange(UINT msg);
    bool fontChangedFromParent_ = false;

private:
    friend class TWinControl;
    void FontChanged();

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    TFont font_;
    bool parentFont_ = true;
    bool visible_ = true;
    bool enabled_ = true;
    TAlign align_ = TAlign::alNone;
    bool autoSize_ = false;
    std::string text_;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
};

// A control without a window of its own: its parent paints it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
    TCanvas& Canvas() { return canvas_; }
    void WndProc(TMessage& message) override;

protected:
    virtual void Paint() {}

private:
    TCanvas canvas_;
};

struct TCreateParams {
    std::string ClassName;
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
};

// Invalidations of graphic controls are collected per window and given to the
// system when the outermost framework window procedure returns (or the message
// loop flushes them); an immediate repaint of the area drops them. Under Wine each
// system invalidation is a round trip to the server.
void FlushInvalidations();

// Marks a framework window procedure on the stack.
class TDispatchScope {
public:
    TDispatchScope();
    ~TDispatchScope();
    TDispatchScope(const TDispatchScope&) = delete;
    TDispatchScope& operator=(const TDispatchScope&) = delete;
};

// The control under the pointer, told of entering and leaving.
TControl* MouseControl();
void SetMouseControl(TControl* control);

// A control with a window: holds child controls and paints the graphic ones.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return static_cast<bool>(handle_); }
    void HandleNeeded() { Handle(); }

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Control(int index) const { return controls_.at(static_cast<size_t>(index)); }
    // The topmost visible graphic child at a client point, or null.
    TControl* ControlAtPos(int x, int y);

    void SetBounds(int left, int top, int width, int height) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void Repaint() override;
    void Invalidate() override;
    // Asks for a later paint of an area of the client.
    void InvalidateArea(const TRect& area);
    // Paints an area of the client at once, straight into the window: background,
    // then the graphic controls there in creation order. Far cheaper than a paint
    // cycle through the update region, which a graphic control's every change
    // would otherwise cost.
    void PaintArea(const TRect& area);

    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    // Sends a message to every child control.
    void Broadcast(TMessage& message);

protected:
    virtual void CreateParams(TCreateParams& params);
    void CreateHandle();
    virtual void PaintWindow(HDC) {}
    void PaintControls(HDC dc, const RECT& area);
    TBrush& Brush() { return brush_; }

private:
    friend class TControl;
    friend void FlushInvalidations();
    void FlushInvalidArea();
    static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void RouteMouse(TMessage& message, TControl* target);
    void ReflectCommand(TMessage& message);

    TWindowHandle handle_;
    WNDPROC defWndProc_ = nullptr;
    std::vector<TControl*> controls_;
    TBrush brush_;
    bool trackingLeave_ = false;
    bool selfPainted_ = false; // a system class that draws its own content
    TRect invalid_;            // not yet given to the system
};
