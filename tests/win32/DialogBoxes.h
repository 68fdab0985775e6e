// Answers the message boxes this process shows, from a thread of its own, and
// records what they said: how tests meet a question the product asks a person.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct TSeenBox {
    std::string Caption;
    std::string Text;
};

class TBoxAnswerer {
public:
    // Presses the given button (IDYES, IDNO, IDOK) in every box that appears.
    explicit TBoxAnswerer(int button) : button_(button), thread_([this] { Run(); }) {}
    ~TBoxAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::vector<TSeenBox> Seen() {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }

private:
    static BOOL CALLBACK Find(HWND wnd, LPARAM param) {
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        char cls[32] = {};
        GetClassNameA(wnd, cls, sizeof cls);
        if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" && IsWindowVisible(wnd)) {
            *reinterpret_cast<HWND*>(param) = wnd;
            return FALSE;
        }
        return TRUE;
    }
    void Run() {
        std::vector<HWND> answered;
        while (!stop_) {
            HWND box = nullptr;
            EnumWindows(Find, reinterpret_cast<LPARAM>(&box));
            if (box && std::find(answered.begin(), answered.end(), box) == answered.end()) {
                char caption[256] = {}, text[2048] = {};
                GetWindowTextA(box, caption, sizeof caption);
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    seen_.push_back({caption, text});
                }
                answered.push_back(box);
                PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button_), 0);
            }
            Sleep(20);
        }
    }

    int button_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<TSeenBox> seen_;
    std::thread thread_;
};

// Captures what the process writes to the debugger output: OutputDebugString
// raises DBG_PRINTEXCEPTION_C, which a vectored handler sees first.
class TDebugOutputCapture {
public:
    TDebugOutputCapture() {
        lines().clear();
        handler_ = AddVectoredExceptionHandler(1, Handler);
    }
    ~TDebugOutputCapture() { RemoveVectoredExceptionHandler(handler_); }
    static std::vector<std::string>& lines() {
        static std::vector<std::string> captured;
        return captured;
    }

private:
    static LONG CALLBACK Handler(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD* r = info->ExceptionRecord;
        if (r->ExceptionCode == 0x40010006 /* DBG_PRINTEXCEPTION_C */ && r->NumberParameters >= 2) {
            const char* text = reinterpret_cast<const char*>(r->ExceptionInformation[1]);
            size_t length = static_cast<size_t>(r->ExceptionInformation[0]);
            std::string line(text, length);
            while (!line.empty() && line.back() == '\0')
                line.pop_back();
            lines().push_back(line);
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    void* handler_;
};
