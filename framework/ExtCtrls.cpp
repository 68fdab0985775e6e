#include "ExtCtrls.h"

#include "SysUtils.h"

namespace {
constexpr UINT_PTR kTimerId = 1;
const char kTimerWindowClass[] = "LumaroTimerWindow";
} // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
    enabled_ = false;
    UpdateTimer();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        UpdateTimer();
    }
}

void TTimer::SetInterval(unsigned interval) {
    if (interval != interval_) {
        interval_ = interval;
        UpdateTimer();
    }
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TTimer::Timer() {
    if (enabled_ && onTimer_)
        onTimer_(this);
}

void TTimer::UpdateTimer() {
    if (running_) {
        KillTimer(window_.Get(), kTimerId);
        running_ = false;
    }
    if (!enabled_ || interval_ == 0 || !onTimer_)
        return;
    if (!window_) {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        if (!GetClassInfoExA(instance, kTimerWindowClass, &wc)) {
            wc = WNDCLASSEXA{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = TimerWndProc;
            wc.hInstance = instance;
            wc.lpszClassName = kTimerWindowClass;
            RegisterClassExA(&wc);
        }
        window_.Reset(CreateWindowExA(0, kTimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, instance, nullptr));
        if (!window_)
            throw Exception("Cannot create the timer's window");
        SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    if (!SetTimer(window_.Get(), kTimerId, interval_, nullptr))
        throw Exception("Not enough timers available");
    running_ = true;
}

LRESULT CALLBACK TTimer::TimerWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        if (auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(wnd, GWLP_USERDATA))) {
            TDispatchScope scope;
            try {
                timer->Timer();
            } catch (...) {
                ApplicationHandleException(timer);
            }
        }
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}
