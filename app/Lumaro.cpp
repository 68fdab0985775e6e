// Lumaro: one window with 26 blinking LEDs above a note.
#include "Forms.h"
#include "LmLED.h"
#include "Runtime.h"
#include "StdCtrls.h"
#include "Unit1.h"

namespace {

// Start-up order: the runtime, the reporting library's modules, the framework, the
// LED control's modules, and the main form's module last; finalisation in reverse.
TUnitEntry units[] = {
    {"System", nullptr, nullptr},
    {"Forms", FormsInitialization, FormsFinalization},
    {"StdCtrls", StdCtrlsInitialization, StdCtrlsFinalization},
    {"LmExControls", nullptr, nullptr},
    {"LmComponent", nullptr, nullptr},
    {"LmLED", LmLEDInitialization, LmLEDFinalization},
    {"Unit1", Unit1Initialization, Unit1Finalization},
};

int Program() {
    Application->Initialize();
    Application->CreateForm(Form1);
    Application->Run();
    return 0;
}

} // namespace

int main() {
    SetLastChanceProc(ShowFatalException);
    return RunProgram(units, sizeof(units) / sizeof(units[0]), Program);
}
