#include "Forms.h"

#include "ResourceStream.h"
#include "SysUtils.h"

#include <cctype>
#include <cstdio>

TApplication* Application = nullptr;

int ScreenPixelsPerInch() {
    TWindowDC dc(nullptr);
    return dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
}

// ---- TForm

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    SetColor(clBtnFace);
    SetParentFont(false);
    SetBounds(0, 0, 320, 240);
}

TForm::~TForm() {
    DestroyComponents();
    if (Application && Application->MainForm() == this && !Application->Terminated())
        Application->Terminate();
}

namespace {

// The class name without its namespaces: TForm1, not app::TForm1.
std::string FormClassName(const TForm& form) {
    std::string name = DemangledName(typeid(form));
    size_t colons = name.rfind("::");
    return colons == std::string::npos ? name : name.substr(colons + 2);
}

} // namespace

void TForm::InitializeFromLayout() {
    std::string className = FormClassName(*this);
    std::string resourceName;
    for (char c : className)
        resourceName += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    TResourceStream stream(MainInstance(), resourceName, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    std::string text(reinterpret_cast<const char*>(stream.Memory()),
                     static_cast<size_t>(stream.Size()));
    try {
        TLayoutObject root = ParseFormLayout(text);
        if (root.ClassName != className)
            throw EReadError("line " + std::to_string(root.Line) + ": the layout is for class " +
                             root.ClassName + ", not " + className);
        ReadLayout(root);
    } catch (const EReadError& e) {
        throw EReadError("Error reading the form layout " + resourceName + ": " + e.Message());
    }
    int screen = ScreenPixelsPerInch();
    if (screen != pixelsPerInch_)
        ScaleBy(screen, pixelsPerInch_);
}

void TForm::ReadLayout(const TLayoutObject& root) {
    BeginLoading();
    SetName(root.Name);
    for (const auto& p : root.Properties)
        if (!ReadProperty(p))
            throw EReadError("line " + std::to_string(p.Line) + ": " + root.ClassName +
                             " has no property " + p.Name);
    for (const auto& child : root.Children)
        ReadChild(child, this);
    Loaded();
}

void TForm::ReadChild(const TLayoutObject& child, TWinControl* parent) {
    TComponentFactory factory = FindComponentClass(child.ClassName);
    if (!factory)
        throw EReadError("line " + std::to_string(child.Line) + ": class " + child.ClassName +
                         " not found");
    TComponent* component = factory(this);
    component->BeginLoading();
    component->SetName(child.Name);
    auto* control = dynamic_cast<TControl*>(component);
    if (control)
        control->SetParent(parent);
    for (const auto& p : child.Properties)
        if (!component->ReadProperty(p))
            throw EReadError("line " + std::to_string(p.Line) + ": " + child.ClassName +
                             " has no property " + p.Name);
    try {
        AssignPublishedField(child.Name, component);
    } catch (const EReadError& e) {
        throw EReadError("line " + std::to_string(child.Line) + ": " + e.Message());
    }
    auto* container = dynamic_cast<TWinControl*>(component);
    for (const auto& grandChild : child.Children) {
        if (!container)
            throw EReadError("line " + std::to_string(grandChild.Line) + ": " + child.Name +
                             " cannot hold controls");
        ReadChild(grandChild, container);
    }
    component->Loaded();
}

bool TForm::AssignPublishedField(const std::string&, TComponent*) {
    return false;
}

void TForm::ScaleBy(int multiplier, int divisor) {
    if (divisor == 0 || multiplier == divisor)
        return;
    auto scale = [&](int v) { return MulDiv(v, multiplier, divisor); };
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Control(i);
        c->SetBounds(scale(c->Left()), scale(c->Top()), scale(c->Width()), scale(c->Height()));
        if (!c->ParentFont())
            c->Font().SetHeight(scale(c->Font().Height()));
    }
    SetBounds(Left(), Top(), scale(Width()), scale(Height()));
    Font().SetHeight(scale(Font().Height()));
    pixelsPerInch_ = scale(pixelsPerInch_);
}

bool TForm::ReadProperty(const TLayoutProperty& p) {
    if (p.Name == "PixelsPerInch") {
        pixelsPerInch_ = LayoutInteger(p);
        if (pixelsPerInch_ <= 0)
            throw EReadError("line " + std::to_string(p.Line) + ": PixelsPerInch must be positive");
    } else if (p.Name == "TextHeight") {
        textHeight_ = LayoutInteger(p);
    } else if (p.Name == "OldCreateOrder") {
        oldCreateOrder_ = LayoutBoolean(p);
    } else {
        return TWinControl::ReadProperty(p);
    }
    return true;
}

void TForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.ClassName = FormClassName(*this);
    p.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    p.WndParent = nullptr;
}

void TForm::Show() {
    HandleNeeded();
    SetVisible(true);
    ShowWindow(Handle(), SW_SHOWNORMAL);
    UpdateWindow(Handle());
}

void TForm::Close() {
    SetVisible(false);
    if (Application && Application->MainForm() == this)
        Application->Terminate();
}

void TForm::WndProc(TMessage& m) {
    if (m.Msg == WM_CLOSE) {
        Close();
        return;
    }
    TWinControl::WndProc(m);
}

// ---- TApplication

namespace {
void HandleWithApplication(TObject* sender) {
    if (Application)
        Application->HandleException(sender);
}
} // namespace

TApplication::TApplication() : TComponent(nullptr) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    size_t dot = name.rfind('.');
    title_ = dot == std::string::npos ? name : name.substr(0, dot);
    ApplicationHandleException = HandleWithApplication;
}

TApplication::~TApplication() {
    DestroyComponents();
    mainForm_ = nullptr;
}

void TApplication::Initialize() {}

void TApplication::Run() {
    if (!mainForm_)
        return;
    mainForm_->Show();
    MSG msg;
    while (!terminated_) {
        FlushInvalidations();
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0)
            break;
        ProcessMessage(msg);
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    try {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    } catch (...) {
        HandleException(this);
    }
    return true;
}

void TApplication::ProcessMessages() {
    FlushInvalidations();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        ProcessMessage(msg);
    }
    FlushInvalidations();
}

void TApplication::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

__attribute__((noinline)) void TApplication::HandleException(TObject* sender) {
    std::exception_ptr current = std::current_exception();
    if (!current)
        return;
    try {
        std::rethrow_exception(current);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    } catch (...) {
        Exception unknown("Unknown exception");
        if (OnException)
            OnException(sender, unknown);
        else
            ShowException(unknown);
    }
}

__attribute__((noinline)) void TApplication::ShowException(const std::exception& e) {
    std::string text = e.what();
    if (!text.empty() && text.back() != '.')
        text += '.';
    HWND owner = mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : nullptr;
    MessageBoxA(owner, text.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
}

void FormsInitialization() {
    Application = new TApplication();
}

void FormsFinalization() {
    delete Application;
    Application = nullptr;
}

void ShowFatalException(const char* where, std::exception_ptr e) {
    std::string text = "Unknown exception";
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& ex) {
        text = "Exception " + ExceptionClassName(ex) + " " + where + ":\n" + ex.what();
    } catch (...) {
        text += std::string(" ") + where + ".";
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    MessageBoxA(nullptr, text.c_str(), "Application Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}
