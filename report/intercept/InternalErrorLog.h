// The library's own failures: internal errors (a section of the library raised)
// and internal warnings (an action failed in an expected way).
#pragma once

#include "SectionRunner.h"
#include "VantorLogOptionsEx.h"

#include <cstdint>
#include <string>

extern const char kVantorLogSupportAddress[];
extern const char kVantorLogRadText[];

// Design-time mode (VantorLogOptionsEx) or an attached debugger opens the gate
// of InternalError.
bool IsDebuggerAttached();

// Where the current exception was raised, from the raise hook; 0 while none is known.
void SetExceptionAddressProvider(uintptr_t (*provider)());
// The class name of the exception the library was last reporting.
void SetLastReportedExceptionClass(const std::string& className);

// Call inside the handler of the failing exception. Nothing happens for EAbort, or
// unless design-time mode holds or a debugger is attached; then: a debugger-output
// line, the error block saved as "<program>.log", and the question whether to
// mail it to the library's maker.
void InternalError(const std::string& section);
// The file InternalError writes: the program's own file with the extension ".log".
std::string InternalErrorFileName();
// How the error file is mailed through the user's e-mail client; none until the
// delivery code installs one, and then a failure shows the manual instructions.
using TBugReportMailer = bool (*)(const std::string& to, const std::string& subject,
                                  const std::string& body, const std::string& attachment);
void SetBugReportMailer(TBugReportMailer mailer);

// Remembers the warning and writes it to the debugger output; a delivery code
// (SMTP, HTTP, HTTPS, FTP) is also shown while the send progress dialog is open.
void Warning(TVantorLogErrorCode code, const std::string& message);
// Call inside a handler: "[<section>] <message>", or "General '<section>' error."
void WarningFromException(TVantorLogErrorCode code, const std::string& section);
void ClearWarning();
TVantorLogErrorCode LastWarningCode();
const std::string& LastWarningMessage();
// Set by the send progress dialog while it shows.
void SetSendDialogOpen(bool open);
