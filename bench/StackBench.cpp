// StackBench: the median time to scan and resolve 100 KB of a real stack with 50
// frames of this program (which carries its own debug block), and to hook and
// unhook one routine.
#include "CallStack.h"
#include "HookEngine.h"
#include "ModuleList.h"

#include "BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

constexpr int kFrames = 50;
constexpr int kRuns = 31;
std::vector<double> scanTimes;
size_t entriesFound = 0;

// Each frame holds 2 KB of its own, so 50 frames make a 100 KB stack.
__attribute__((noinline, noipa)) int Frame(int depth) {
    volatile char locals[2000];
    locals[0] = static_cast<char>(depth);
    if (depth < kFrames)
        return Frame(depth + 1) + locals[0];
    uintptr_t stackPointer;
    asm volatile("mov %%esp, %0" : "=r"(stackPointer));
    for (int run = 0; run < kRuns; ++run) {
        const double t0 = Now();
        auto list = CreateCallStack(0, stackPointer, stackPointer + kMaxStackScan, true,
                                    GetCurrentThreadId());
        scanTimes.push_back(Now() - t0);
        entriesFound = list->Count();
    }
    return locals[0];
}

__attribute__((noinline, noipa)) int Routine(int x) {
    return x * 3 + 1;
}

int Replacement(int x) {
    return x;
}

} // namespace

int main() {
    Frame(1);
    const double first = scanTimes.front();
    scanTimes.erase(scanTimes.begin());
    std::printf("scanning and resolving a 100 KB stack with %d frames: median %.2f ms "
                "(%zu entries; the first walk, which reads the module's debug block, %.2f ms)\n",
                kFrames, Median(scanTimes) * 1e3, entriesFound, first * 1e3);

    HookEngineInitialization();
    std::vector<double> hookTimes;
    for (int i = 0; i < 1000; ++i) {
        const double t0 = Now();
        HookProcedure(reinterpret_cast<void*>(&Routine), reinterpret_cast<void*>(&Replacement),
                      "Routine");
        UnhookProcedure(reinterpret_cast<void*>(&Routine));
        hookTimes.push_back(Now() - t0);
    }
    HookEngineFinalization();
    std::printf("hooking and unhooking one routine: median %.1f us\n", Median(hookTimes) * 1e6);
    return Routine(1) == 4 ? 0 : 1;
}
