#include "Controls.h"

#include "SysUtils.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

void PrintUnhandled(TObject*) {
    try {
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Unhandled exception: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Unhandled exception\n");
    }
}

std::map<std::string, TComponentFactory>& ClassRegistry() {
    static std::map<std::string, TComponentFactory> registry;
    return registry;
}

TControl* mouseControl = nullptr;

// Windows with invalidations not yet given to the system, and how deep the
// framework's window procedures are nested right now.
std::vector<TWinControl*> pendingPaint;
int dispatchDepth = 0;

template <class T> void EraseOne(std::vector<T*>& list, T* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end())
        list.erase(it);
}

[[noreturn]] void BadValue(const TLayoutProperty& p, const std::string& what) {
    throw EReadError("line " + std::to_string(p.Line) + ": property " + p.Name + ": " + what);
}

TColor LayoutColor(const TLayoutProperty& p) {
    if (p.Value.Kind == TLayoutValue::TKind::Integer)
        return static_cast<TColor>(LayoutInteger(p));
    TColor c;
    if (!ColorFromName(LayoutIdentifier(p), c))
        BadValue(p, "unknown colour " + p.Value.Text);
    return c;
}

int LayoutCharset(const TLayoutProperty& p) {
    if (p.Value.Kind == TLayoutValue::TKind::Integer)
        return LayoutInteger(p);
    static const std::map<std::string, int> names = {{"ANSI_CHARSET", ANSI_CHARSET},
                                                     {"DEFAULT_CHARSET", DEFAULT_CHARSET},
                                                     {"SYMBOL_CHARSET", SYMBOL_CHARSET},
                                                     {"OEM_CHARSET", OEM_CHARSET}};
    auto it = names.find(LayoutIdentifier(p));
    if (it == names.end())
        BadValue(p, "unknown character set " + p.Value.Text);
    return it->second;
}

unsigned LayoutFontStyle(const TLayoutProperty& p) {
    static const std::map<std::string, unsigned> names = {{"fsBold", fsBold},
                                                          {"fsItalic", fsItalic},
                                                          {"fsUnderline", fsUnderline},
                                                          {"fsStrikeOut", fsStrikeOut}};
    unsigned style = 0;
    for (const auto& item : LayoutSet(p)) {
        auto it = names.find(item);
        if (it == names.end())
            BadValue(p, "unknown font style " + item);
        style |= it->second;
    }
    return style;
}

TAlign LayoutAlign(const TLayoutProperty& p) {
    static const std::map<std::string, TAlign> names = {
        {"alNone", TAlign::alNone},    {"alTop", TAlign::alTop},     {"alBottom", TAlign::alBottom},
        {"alLeft", TAlign::alLeft},    {"alRight", TAlign::alRight}, {"alClient", TAlign::alClient},
        {"alCustom", TAlign::alCustom}};
    auto it = names.find(LayoutIdentifier(p));
    if (it == names.end())
        BadValue(p, "unknown alignment " + p.Value.Text);
    return it->second;
}

} // namespace

void (*ApplicationHandleException)(TObject* sender) = PrintUnhandled;

TShiftState KeyDataToShiftState(LPARAM keyData) {
    TShiftState s = 0;
    if (keyData & kKeyDataShift)
        s |= ssShift;
    if (keyData & kKeyDataCtrl)
        s |= ssCtrl;
    if (keyData & kKeyDataAlt)
        s |= ssAlt;
    return s;
}

LPARAM ShiftStateToKeyData(TShiftState shift) {
    LPARAM k = 0;
    if (shift & ssShift)
        k |= kKeyDataShift;
    if (shift & ssCtrl)
        k |= kKeyDataCtrl;
    if (shift & ssAlt)
        k |= kKeyDataAlt;
    return k;
}

bool ColorFromName(const std::string& name, TColor& color) {
    static const std::map<std::string, TColor> names = {
        {"clBlack", clBlack},   {"clMaroon", clMaroon},   {"clGreen", clGreen},
        {"clRed", clRed},       {"clLime", clLime},       {"clBlue", clBlue},
        {"clGray", clGray},     {"clWhite", clWhite},     {"clWindowText", clWindowText},
        {"clWindow", clWindow}, {"clBtnFace", clBtnFace}, {"clInfoBk", clInfoBk},
        {"clNone", clNone},     {"clDefault", clDefault}};
    auto it = names.find(name);
    if (it == names.end())
        return false;
    color = it->second;
    return true;
}

void RegisterComponentClass(const std::string& className, TComponentFactory factory) {
    ClassRegistry()[className] = factory;
}

void UnregisterComponentClass(const std::string& className) {
    ClassRegistry().erase(className);
}

TComponentFactory FindComponentClass(const std::string& className) {
    auto it = ClassRegistry().find(className);
    return it == ClassRegistry().end() ? nullptr : it->second;
}

// ---- TComponent

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_)
        owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    DestroyComponents();
    if (owner_)
        EraseOne(owner_->components_, this);
}

void TComponent::DestroyComponents() {
    while (!components_.empty())
        delete components_.back(); // removes itself from the list
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : components_)
        if (c->Name() == name)
            return c;
    return nullptr;
}

bool TComponent::GetInterface(const GUID&, void** object) {
    *object = nullptr;
    return false;
}

bool TComponent::ReadProperty(const TLayoutProperty& p) {
    if (p.Name == "Tag") {
        LayoutInteger(p);
        return true;
    }
    return false;
}

// ---- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
    DestroyComponents();
    if (mouseControl == this)
        mouseControl = nullptr;
    if (parent_) {
        Invalidate();
        EraseOne(parent_->controls_, this);
        parent_ = nullptr;
    }
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_)
        return;
    if (parent == this)
        throw Exception("A control cannot be its own parent");
    if (parent_) {
        Invalidate();
        EraseOne(parent_->controls_, this);
    }
    parent_ = parent;
    if (!parent_)
        return;
    parent_->controls_.push_back(this);
    if (parentFont_) {
        fontChangedFromParent_ = true;
        font_.Assign(parent_->Font());
        fontChangedFromParent_ = false;
    }
    if (parentColor_)
        color_ = parent_->Color();
    if (parentShowHint_)
        showHint_ = parent_->ShowHint();
    if (auto* win = dynamic_cast<TWinControl*>(this); win && parent_->HandleAllocated())
        win->CreateHandle();
    Invalidate();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
}

void TControl::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    parentColor_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value) {
    parentColor_ = value;
    if (value && parent_) {
        color_ = parent_->Color();
        Perform(CM_COLORCHANGED, 0, 0);
    }
}

void TControl::SetParentFont(bool value) {
    parentFont_ = value;
    if (value && parent_)
        Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::FontChanged() {
    if (!fontChangedFromParent_)
        parentFont_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    if (!visible)
        Invalidate();
    visible_ = visible;
    Perform(CM_VISIBLECHANGED, visible ? 1 : 0, 0);
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetAutoSize(bool value) {
    if (value == autoSize_)
        return;
    autoSize_ = value;
    if (value)
        SetBounds(left_, top_, width_, height_); // lets an override apply its own size
}

void TControl::SetText(const std::string& text) {
    if (text == text_)
        return;
    text_ = text;
    if (auto* win = dynamic_cast<TWinControl*>(this); win && win->HandleAllocated())
        SetWindowTextA(win->Handle(), text_.c_str());
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool value) {
    parentShowHint_ = false;
    if (value == showHint_)
        return;
    showHint_ = value;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool value) {
    parentShowHint_ = value;
    if (value && parent_)
        Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::NotifyParentChange(UINT msg) {
    if (auto* win = dynamic_cast<TWinControl*>(this)) {
        TMessage m{msg, 0, 0, 0};
        win->Broadcast(m);
    }
}

void TControl::WndProc(TMessage& m) {
    switch (m.Msg) {
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
        Invalidate();
        return;
    case CM_PARENTCOLORCHANGED:
        if (parentColor_ && parent_) {
            SetColor(parent_->Color());
            parentColor_ = true;
        }
        return;
    case CM_PARENTFONTCHANGED:
        if (parentFont_ && parent_) {
            fontChangedFromParent_ = true;
            font_.Assign(parent_->Font());
            fontChangedFromParent_ = false;
        }
        return;
    case CM_SHOWHINTCHANGED:
        NotifyParentChange(CM_PARENTSHOWHINTCHANGED);
        return;
    case CM_PARENTSHOWHINTCHANGED:
        if (parentShowHint_ && parent_ && showHint_ != parent_->ShowHint()) {
            showHint_ = parent_->ShowHint();
            NotifyParentChange(CM_PARENTSHOWHINTCHANGED);
        }
        return;
    case CM_HITTEST:
        m.Result = HTCLIENT;
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        // The parent hears of every child the pointer enters or leaves.
        if (parent_)
            parent_->Perform(m.Msg, 0, m.LParam ? m.LParam : reinterpret_cast<LPARAM>(this));
        return;
    case CM_HINTSHOW:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
    case CM_TEXTCHANGED:
    case CM_EXTENSIONQUERY:
        m.Result = 0;
        return;
    case WM_LBUTTONDOWN:
        if (OnMouseDown)
            OnMouseDown(this, GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        break;
    case WM_LBUTTONUP:
        if (OnMouseUp)
            OnMouseUp(this, GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        if (ClientRect().Contains(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)))
            Click();
        break;
    case WM_LBUTTONDBLCLK:
        if (OnDblClick)
            OnDblClick(this);
        break;
    case WM_MOUSEMOVE:
        if (OnMouseMove)
            OnMouseMove(this, GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        break;
    default:
        break;
    }
    DefaultHandler(m);
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
}

void TControl::Invalidate() {
    if (parent_ && parent_->HandleAllocated())
        parent_->InvalidateArea(BoundsRect());
}

void FlushInvalidations() {
    std::vector<TWinControl*> windows;
    windows.swap(pendingPaint);
    for (TWinControl* w : windows)
        w->FlushInvalidArea();
}

TDispatchScope::TDispatchScope() {
    ++dispatchDepth;
}

TDispatchScope::~TDispatchScope() {
    if (--dispatchDepth == 0 && !pendingPaint.empty())
        FlushInvalidations();
}

void TControl::Repaint() {
    if (!visible_ || !parent_ || !parent_->HandleAllocated())
        return;
    parent_->PaintArea(BoundsRect());
}

bool TControl::ReadProperty(const TLayoutProperty& p) {
    const std::string& n = p.Name;
    if (n == "Left")
        SetLeft(LayoutInteger(p));
    else if (n == "Top")
        SetTop(LayoutInteger(p));
    else if (n == "Width")
        SetWidth(LayoutInteger(p));
    else if (n == "Height")
        SetHeight(LayoutInteger(p));
    else if (n == "Visible")
        SetVisible(LayoutBoolean(p));
    else if (n == "Enabled")
        SetEnabled(LayoutBoolean(p));
    else if (n == "Color")
        SetColor(LayoutColor(p));
    else if (n == "ParentColor")
        SetParentColor(LayoutBoolean(p));
    else if (n == "ParentFont")
        SetParentFont(LayoutBoolean(p));
    else if (n == "Align")
        SetAlign(LayoutAlign(p));
    else if (n == "AutoSize")
        SetAutoSize(LayoutBoolean(p));
    else if (n == "Caption" || n == "Text")
        SetText(LayoutString(p));
    else if (n == "Hint")
        SetHint(LayoutString(p));
    else if (n == "ShowHint")
        SetShowHint(LayoutBoolean(p));
    else if (n == "ParentShowHint")
        SetParentShowHint(LayoutBoolean(p));
    else if (n == "Font.Name")
        font_.SetName(LayoutString(p));
    else if (n == "Font.Height")
        font_.SetHeight(LayoutInteger(p));
    else if (n == "Font.Color")
        font_.SetColor(LayoutColor(p));
    else if (n == "Font.Charset")
        font_.SetCharset(LayoutCharset(p));
    else if (n == "Font.Style")
        font_.SetStyle(LayoutFontStyle(p));
    else
        return TComponent::ReadProperty(p);
    return true;
}

// ---- TGraphicControl

void TGraphicControl::WndProc(TMessage& m) {
    if (m.Msg == WM_PAINT && m.WParam) {
        struct Detach {
            TCanvas& c;
            ~Detach() { c.SetHandle(nullptr); }
        } detach{canvas_};
        canvas_.SetHandle(reinterpret_cast<HDC>(m.WParam));
        Paint();
        return;
    }
    TControl::WndProc(m);
}

// ---- mouse tracking

TControl* MouseControl() {
    return mouseControl;
}

void SetMouseControl(TControl* control) {
    if (control == mouseControl)
        return;
    TControl* old = mouseControl;
    mouseControl = control;
    if (old)
        old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
    if (control && mouseControl == control)
        control->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(control));
}

// ---- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
    brush_.SetColor(Color());
}

TWinControl::~TWinControl() {
    DestroyComponents();
    EraseOne(pendingPaint, this);
    // Children owned elsewhere lose their parent, not their life.
    for (TControl* c : controls_)
        c->parent_ = nullptr;
    controls_.clear();
    if (handle_) {
        // The window's own procedure sees its destruction, so it can free its state.
        SetWindowLongPtrA(handle_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defWndProc_));
        SetWindowLongPtrA(handle_.Get(), GWLP_USERDATA, 0);
        handle_.Reset();
    }
}

HWND TWinControl::Handle() {
    if (!handle_)
        CreateHandle();
    return handle_.Get();
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.ClassName = "LumaroWinControl";
    p.Caption = Text();
    p.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (Visible() ? WS_VISIBLE : 0);
    p.X = Left();
    p.Y = Top();
    p.Width = Width();
    p.Height = Height();
    p.WndParent = Parent() ? Parent()->Handle() : nullptr;
}

void TWinControl::CreateHandle() {
    if (handle_)
        return;
    TCreateParams p;
    CreateParams(p);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    // A system class (EDIT) is used as it is and paints itself; the framework's own
    // are registered once and painted here.
    selfPainted_ = GetClassInfoExA(nullptr, p.ClassName.c_str(), &wc) != FALSE;
    if (!selfPainted_ && !GetClassInfoExA(instance, p.ClassName.c_str(), &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hIcon = LoadIconA(instance, "MAINICON");
        if (!wc.hIcon)
            wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        wc.lpszClassName = p.ClassName.c_str();
        if (!RegisterClassExA(&wc))
            throw Exception("Cannot register the window class " + p.ClassName);
    }
    HWND wnd = CreateWindowExA(p.ExStyle, p.ClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                               p.Width, p.Height, p.WndParent, nullptr, instance, nullptr);
    if (!wnd)
        throw Exception("Cannot create a window of class " + p.ClassName);
    handle_.Reset(wnd);
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    defWndProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StdWndProc)));
    SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    for (TControl* c : controls_)
        if (auto* win = dynamic_cast<TWinControl*>(c))
            win->CreateHandle();
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!control)
        return DefWindowProcA(wnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    TDispatchScope scope;
    try {
        control->WndProc(m);
    } catch (...) {
        ApplicationHandleException(control);
    }
    if (msg == WM_NCDESTROY) {
        // The system destroyed the window (its parent went first): let go of it.
        SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        control->handle_.Release();
    }
    return m.Result;
}

TControl* TWinControl::ControlAtPos(int x, int y) {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->Visible() || !c->BoundsRect().Contains(x, y))
            continue;
        if (c->Perform(CM_HITTEST, 0, MAKELPARAM(x - c->Left(), y - c->Top())) != 0)
            return c;
    }
    return nullptr;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    if (handle_)
        SetWindowPos(handle_.Get(), nullptr, Left(), Top(), Width(), Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

int TWinControl::ClientWidth() const {
    RECT r;
    if (handle_ && GetClientRect(handle_.Get(), &r))
        return r.right;
    return Width();
}

int TWinControl::ClientHeight() const {
    RECT r;
    if (handle_ && GetClientRect(handle_.Get(), &r))
        return r.bottom;
    return Height();
}

void TWinControl::Repaint() {
    if (!handle_)
        return;
    InvalidateRect(handle_.Get(), nullptr, TRUE);
    UpdateWindow(handle_.Get());
}

void TWinControl::Invalidate() {
    if (handle_)
        InvalidateRect(handle_.Get(), nullptr, TRUE);
}

void TWinControl::InvalidateArea(const TRect& area) {
    if (!handle_ || area.Width() <= 0 || area.Height() <= 0)
        return;
    if (invalid_.Width() <= 0) {
        invalid_ = area;
        pendingPaint.push_back(this);
    } else {
        invalid_ = {std::min(invalid_.Left, area.Left), std::min(invalid_.Top, area.Top),
                    std::max(invalid_.Right, area.Right), std::max(invalid_.Bottom, area.Bottom)};
    }
}

void TWinControl::FlushInvalidArea() {
    if (invalid_.Width() <= 0)
        return;
    RECT r{invalid_.Left, invalid_.Top, invalid_.Right, invalid_.Bottom};
    invalid_ = {};
    if (handle_)
        InvalidateRect(handle_.Get(), &r, TRUE);
}

void TWinControl::PaintArea(const TRect& area) {
    HWND wnd = handle_.Get();
    if (!IsWindowVisible(wnd) || IsIconic(wnd)) {
        InvalidateArea(area); // painted when it shows again
        return;
    }
    RECT r{area.Left, area.Top, area.Right, area.Bottom};
    {
        TWindowDC dc(wnd);
        TSavedDC saved(dc.Get());
        IntersectClipRect(dc.Get(), r.left, r.top, r.right, r.bottom);
        ::FillRect(dc.Get(), &r, brush_.Handle());
        PaintWindow(dc.Get());
        PaintControls(dc.Get(), r);
    }
    // What was just painted in full need not be painted again.
    if (invalid_.Width() > 0 && area.Left <= invalid_.Left && area.Top <= invalid_.Top &&
        area.Right >= invalid_.Right && area.Bottom >= invalid_.Bottom) {
        invalid_ = {};
        EraseOne(pendingPaint, this);
    }
}

void TWinControl::Broadcast(TMessage& message) {
    // A copy: a handler may add or remove children.
    std::vector<TControl*> children = controls_;
    for (TControl* c : children) {
        TMessage m{message.Msg, message.WParam, message.LParam, 0};
        c->WndProc(m);
    }
}

void TWinControl::PaintControls(HDC dc, const RECT& area) {
    TRect paintArea{area.left, area.top, area.right, area.bottom};
    for (TControl* c : controls_) {
        if (dynamic_cast<TWinControl*>(c) || !c->Visible() ||
            !c->BoundsRect().Intersects(paintArea))
            continue;
        TSavedDC saved(dc);
        IntersectClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
        SetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

void TWinControl::RouteMouse(TMessage& m, TControl* target) {
    int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
    if (m.Msg == WM_MOUSEMOVE) {
        SetMouseControl(target ? target : this);
        if (!trackingLeave_) {
            TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, handle_.Get(), 0};
            trackingLeave_ = TrackMouseEvent(&t) != FALSE;
        }
    }
    if (target && target->Enabled())
        target->Perform(m.Msg, m.WParam, MAKELPARAM(x - target->Left(), y - target->Top()));
}

void TWinControl::ReflectCommand(TMessage& m) {
    HWND child = reinterpret_cast<HWND>(m.LParam);
    if (child &&
        GetWindowLongPtrA(child, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&StdWndProc)) {
        if (auto* c = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(child, GWLP_USERDATA))) {
            m.Result = c->Perform(CN_COMMAND, m.WParam, m.LParam);
            return;
        }
    }
    DefaultHandler(m);
}

void TWinControl::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT: {
        if (selfPainted_)
            break;
        if (m.WParam) { // painting into a given context, for a capture
            PaintWindow(reinterpret_cast<HDC>(m.WParam));
            return;
        }
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(handle_.Get(), &ps);
        PaintWindow(dc);
        PaintControls(dc, ps.rcPaint);
        EndPaint(handle_.Get(), &ps);
        return;
    }
    case WM_ERASEBKGND: {
        if (selfPainted_)
            break;
        RECT r;
        GetClientRect(handle_.Get(), &r);
        ::FillRect(reinterpret_cast<HDC>(m.WParam), &r, brush_.Handle());
        m.Result = 1;
        return;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: {
        TControl* target = ControlAtPos(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        RouteMouse(m, target);
        if (target) {
            DefaultHandler(m);
            return;
        }
        break;
    }
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        if (TControl* c = MouseControl(); c == this || (c && c->Parent() == this))
            SetMouseControl(nullptr);
        break;
    case WM_COMMAND:
        ReflectCommand(m);
        return;
    case WM_WINDOWPOSCHANGED: {
        // The user or the system moved the window: keep the stored bounds true.
        auto* wp = reinterpret_cast<const WINDOWPOS*>(m.LParam);
        if (!(wp->flags & SWP_NOMOVE) || !(wp->flags & SWP_NOSIZE)) {
            RECT r;
            GetWindowRect(handle_.Get(), &r);
            POINT origin{r.left, r.top};
            if (Parent() && Parent()->HandleAllocated())
                ScreenToClient(Parent()->Handle(), &origin);
            TControl::SetBounds(origin.x, origin.y, r.right - r.left, r.bottom - r.top);
        }
        break;
    }
    case CM_COLORCHANGED:
        brush_.SetColor(Color());
        if (handle_)
            InvalidateRect(handle_.Get(), nullptr, TRUE);
        NotifyParentChange(CM_PARENTCOLORCHANGED);
        return;
    case CM_FONTCHANGED:
        if (handle_) {
            SendMessageA(handle_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()),
                         TRUE);
            InvalidateRect(handle_.Get(), nullptr, TRUE);
        }
        NotifyParentChange(CM_PARENTFONTCHANGED);
        return;
    case CM_VISIBLECHANGED:
        if (handle_)
            ShowWindow(handle_.Get(), Visible() ? SW_SHOWNA : SW_HIDE);
        return;
    case CM_ENABLEDCHANGED:
        if (handle_)
            EnableWindow(handle_.Get(), Enabled());
        return;
    default:
        break;
    }
    TControl::WndProc(m);
}

void TWinControl::DefaultHandler(TMessage& m) {
    if (handle_ && m.Msg < CM_BASE)
        m.Result = CallWindowProcA(defWndProc_, handle_.Get(), m.Msg, m.WParam, m.LParam);
}
