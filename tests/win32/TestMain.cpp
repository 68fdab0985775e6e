// Runs the tests inside the program's own start-up: the framework's and the LED's
// units are initialised first and finalised after.
#include "Forms.h"
#include "LmLED.h"
#include "Runtime.h"
#include "StdCtrls.h"

#include <gtest/gtest.h>

namespace {

int argCount;
char** args;

TUnitEntry units[] = {
    {"Forms", FormsInitialization, FormsFinalization},
    {"StdCtrls", StdCtrlsInitialization, StdCtrlsFinalization},
    {"LmLED", LmLEDInitialization, LmLEDFinalization},
};

int Tests() {
    ::testing::InitGoogleTest(&argCount, args);
    return RUN_ALL_TESTS();
}

} // namespace

int main(int argc, char** argv) {
    argCount = argc;
    args = argv;
    return RunProgram(units, sizeof(units) / sizeof(units[0]), Tests);
}
