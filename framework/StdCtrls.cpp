#include "StdCtrls.h"

#include <vector>

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 89);
}

void TMemo::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.ClassName = "EDIT";
    p.Caption = lines_.Text();
    if (p.Caption.size() >= 2)
        p.Caption.resize(p.Caption.size() - 2); // no empty line after the last
    p.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL |
              ES_WANTRETURN | (Visible() ? WS_VISIBLE : 0);
    p.ExStyle = WS_EX_CLIENTEDGE;
}

void TMemo::LinesChanged() {
    if (syncing_ || !HandleAllocated())
        return;
    std::string text = lines_.Text();
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    syncing_ = true;
    SetWindowTextA(Handle(), text.c_str());
    syncing_ = false;
}

void TMemo::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE && !syncing_) {
        // The user edited the text: take it into Lines.
        int length = GetWindowTextLengthA(Handle());
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        GetWindowTextA(Handle(), buffer.data(), length + 1);
        syncing_ = true;
        lines_.SetText(std::string(buffer.data(), static_cast<size_t>(length)));
        syncing_ = false;
        return;
    }
    TWinControl::WndProc(m);
}

bool TMemo::ReadProperty(const TLayoutProperty& p) {
    if (p.Name == "Lines") {
        lines_.BeginUpdate();
        lines_.Clear();
        for (const auto& line : LayoutStringList(p))
            lines_.Add(line);
        lines_.EndUpdate();
    } else if (p.Name == "TabOrder") {
        tabOrder_ = LayoutInteger(p);
    } else {
        return TWinControl::ReadProperty(p);
    }
    return true;
}

void StdCtrlsInitialization() {
    RegisterComponentClass("TMemo", &TMemo::Create);
}
void StdCtrlsFinalization() {
    UnregisterComponentClass("TMemo");
}
