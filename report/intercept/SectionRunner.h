// The guard around each start-up and shut-down step of the library, and the codes
// with which failed actions are reported. Portable.
#pragma once

#include <cstdint>
#include <string>

extern const char kVantorLogVersion[]; // "5.0.5"

enum class TVantorLogErrorCode : uint8_t {
    eeNone = 0,
    eeShowError = 1,
    eeLogError = 2,
    eeEmailMAPIError = 3,
    eeEmailShellError = 4,
    eeEmailSMTPError = 5,
    eeWebHTTPError = 6,
    eeWebHTTPSError = 7,
    eeWebFTPError = 8,
};
// "eeLogError" and so on.
const char* ErrorCodeName(TVantorLogErrorCode code);

using TInternalErrorProc = void (*)(const std::string& section);
// Installed at library start-up; null uninstalls.
void SetInternalErrorProc(TInternalErrorProc proc);

// Runs a step of the library. When it raises: with an internal error procedure
// installed, that procedure sees the section (inside the handler, so the failing
// exception is current) and the step ends with EAbort; without one, an Exception
// "Critical error at: "<section>"\r\nError: "<message>"." is raised, or "General
// internal error." for a thrown object that is not an exception.
void RunSection(void (*step)(), const std::string& section);

// The message of the exception being handled, and whether it is an exception at all.
bool CurrentExceptionMessage(std::string& message);
// True when the exception being handled is EAbort or derives from it, by class name.
bool CurrentExceptionIsAbort();
