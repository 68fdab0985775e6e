// LedBench: the median cost of one LED colour change (reload, conversion,
// recolouring, repaint) on a shown main form, in this process. The running
// program's share of a core is measured from outside by cpu-share.sh: Wine's
// GetProcessTimes does not see another process.
#include "Forms.h"
#include "LmLED.h"
#include "Runtime.h"
#include "StdCtrls.h"
#include "Unit1.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

void MeasureColourChange() {
    auto* form = new TForm1(Application);
    form->InitializeFromLayout();
    for (int i = 0; i < form->ControlCount(); ++i)
        if (auto* led = dynamic_cast<TLmLED*>(form->Control(i)))
            led->SetActive(false); // only the measured changes
    form->Show();
    Application->ProcessMessages();
    TLmLED* led = form->LmLED13;
    const int samples = 3000;
    std::vector<double> cost;
    cost.reserve(samples);
    for (int i = 0; i < samples; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        led->SetStatus(!led->Status());
        QueryPerformanceCounter(&b);
        cost.push_back(Seconds(a, b));
        if (i % 26 == 0)
            Application->ProcessMessages();
    }
    std::sort(cost.begin(), cost.end());
    std::printf("colour change: median %.1f us, 90th percentile %.1f us (%d samples, shown form)\n",
                cost[samples / 2] * 1e6, cost[samples * 9 / 10] * 1e6, samples);
    std::printf("130 changes per second at the median: %.2f%% of one core\n",
                cost[samples / 2] * 130 * 100);
    delete form;
}

TUnitEntry units[] = {
    {"Forms", FormsInitialization, FormsFinalization},
    {"StdCtrls", StdCtrlsInitialization, StdCtrlsFinalization},
    {"LmLED", LmLEDInitialization, LmLEDFinalization},
};

int Bench() {
    MeasureColourChange();
    return 0;
}

} // namespace

int main() {
    return RunProgram(units, sizeof(units) / sizeof(units[0]), Bench);
}
