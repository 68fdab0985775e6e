// The timer component.
#pragma once

#include "Controls.h"

// Ticks arrive as WM_TIMER messages on the thread that made the timer, through a
// message-only window of its own.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    // A different interval restarts the running period; the same one changes nothing.
    void SetInterval(unsigned interval);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent handler);

    // The tick: calls OnTimer.
    virtual void Timer();

private:
    static LRESULT CALLBACK TimerWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void UpdateTimer();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
    TWindowHandle window_;
    bool running_ = false;
};
