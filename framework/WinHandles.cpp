#include "WinHandles.h"

#include <atomic>

namespace {
std::atomic<long> gdiHeld{0};
}

long GdiObjectsHeld() {
    return gdiHeld.load();
}

void handle_detail::CountGdi(long delta) {
    gdiHeld += delta;
}
