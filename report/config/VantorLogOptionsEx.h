// The live library's side of the options: publication to other modules through
// shared memory, the freeze watchdog's switch, the log file's name with the
// computer's name, and finding a writable place for a file.
#pragma once

#include "VantorLogOptions.h"

#include <windows.h>

#include <string>

class TVantorModuleOptionsEx : public TVantorModuleOptions {
public:
    using TVantorModuleOptions::TVantorModuleOptions;

    // Writes 1 and the stored options into this module's shared block, replacing
    // the previous block. Publishes nothing when the block cannot be made.
    void PublishChanges() override;
    // For the library's own options a change also starts or stops the freeze
    // watchdog: it runs while both Enabled and FreezeCheck are True.
    void SetEnabled(bool value) override;
    void SetFreezeCheck(bool value) override;

protected:
    bool ModuleHoldsLibrary() const override;

private:
    void WatchdogOptionChanged();
};

// The module that holds the library's code.
HMODULE LibraryModule();

// Running inside the development environment's own process. Set by the library's
// start-up; internal errors, export sizes and call stacks depend on it.
void SetDesignTimeMode(bool designTime);
bool DesignTimeMode();

// What starts (true) or stops (false) the freeze watchdog; none until it exists.
void SetFreezeWatchdogSwitch(void (*watchdogSwitch)(bool run));

// At library start-up: a 1-byte block holding 0, meaning nothing is published yet.
bool CreateEmptyPublication();
// Releases the library's own block (at shut-down).
void ReleasePublication();

// Loads the options that another module of this process has published, if it
// has; the block is released afterwards. False when there is nothing to load.
bool LoadPublishedOptions(HMODULE module, TVantorModuleOptions& options);

// The file itself when it can be opened for reading and writing (created and
// deleted again when missing); otherwise the same file part in
// %UserProfile%\VantorLog (with the program's name as a subfolder when
// perProgram), folders created as needed. False when no place is writable.
bool WritableLocation(const std::string& fileName, bool perProgram, std::string& result);

// The options of the module that holds the library. Raises EAssertionFailed when
// the library was never activated or its module has no record.
TVantorModuleOptions& CurrentVantorLogOptions();
// Set by the library's start-up: whether it is active, and where its module's
// record keeps the options (null while there is none).
void SetVantorLogActivation(bool active, TVantorModuleOptions* (*ownModuleOptions)());
