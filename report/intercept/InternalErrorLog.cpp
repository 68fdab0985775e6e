#include "InternalErrorLog.h"

#include "MemoryAccess.h"
#include "ReportTextWin.h"
#include "SysUtils.h"

#include <windows.h>

#include <cstdio>
#include <fstream>

const char kVantorLogSupportAddress[] = "bugs@vantorlog.example.org";
const char kVantorLogRadText[] = "MinGW-w64 GCC " __VERSION__ " i686";

namespace {

uintptr_t (*exceptionAddress)() = nullptr;
std::string lastReportedClass;
TBugReportMailer bugReportMailer = nullptr;
TVantorLogErrorCode lastWarningCode = TVantorLogErrorCode::eeNone;
std::string lastWarningMessage;
bool sendDialogOpen = false;

constexpr UINT kBoxFlags = MB_TASKMODAL | MB_TOPMOST | MB_SERVICE_NOTIFICATION;

uintptr_t CurrentAddress() {
    return exceptionAddress ? exceptionAddress() : 0;
}

std::string Hex8(uintptr_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

// The class of the exception being handled, empty when it is not an exception.
std::string CurrentExceptionClass() {
    try {
        throw;
    } catch (const std::exception& e) {
        return ExceptionClassName(e);
    } catch (...) {
        return "";
    }
}

std::string Dump(uintptr_t address) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(address);
    if (!IsReadable(bytes, 32))
        return "";
    std::string dump;
    for (int i = 0; i < 32; ++i) {
        char b[8];
        std::snprintf(b, sizeof b, "$%02X ", bytes[i]);
        dump += b;
    }
    return dump;
}

} // namespace

bool IsDebuggerAttached() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return false;
    using TIsDebuggerPresent = BOOL(WINAPI*)();
    auto present = reinterpret_cast<TIsDebuggerPresent>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsDebuggerPresent")));
    if (present)
        return present() != FALSE;
    // Without it, a debugger shows in GetProcAddress reporting itself below kernel32.
    auto self = reinterpret_cast<uintptr_t>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetProcAddress")));
    return self < reinterpret_cast<uintptr_t>(kernel);
}

void SetExceptionAddressProvider(uintptr_t (*provider)()) {
    exceptionAddress = provider;
}
void SetLastReportedExceptionClass(const std::string& className) {
    lastReportedClass = className;
}
void SetBugReportMailer(TBugReportMailer mailer) {
    bugReportMailer = mailer;
}

std::string InternalErrorFileName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    size_t dot = name.rfind('.');
    size_t slash = name.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.resize(dot);
    return name + ".log";
}

void InternalError(const std::string& section) {
    if (CurrentExceptionIsAbort() || !(DesignTimeMode() || IsDebuggerAttached()))
        return;
    const uintptr_t address = CurrentAddress();
    std::string message;
    CurrentExceptionMessage(message);
    const std::string className = CurrentExceptionClass();

    std::string line = "[ERROR] - Section: " + section + " - Address: " + Hex8(address) +
                       " - Message: \"" + message + "\"";
    OutputDebugStringA(line.c_str());

    std::string block =
        std::string("Version   : ") + kVantorLogVersion + "\r\nDate      : " + NowDateText() +
        "\r\nOS        : " + OperatingSystemName() + "\r\nRAD       : " + kVantorLogRadText +
        "\r\nDump      : " + Dump(address) + "\r\nSection   : " + section +
        "\r\nLastExcept: " + lastReportedClass + "\r\nAddress   : $" + Hex8(address) +
        "\r\nException : " + className + "\r\nMessage   : " + message;
    const std::string fileName = InternalErrorFileName();
    {
        std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
        out << block;
    }

    std::string question =
        "Error: '" + message +
        "'\r\n\r\nThis is an internal VantorLog bug.\r\nDo you want to send the bug "
        "information to VantorLog author?";
    if (MessageBoxA(nullptr, question.c_str(), "Probably internal bug",
                    MB_ICONERROR | MB_YESNO | kBoxFlags) != IDYES)
        return;
    const std::string subject = std::string("VantorLog ") + kVantorLogVersion + " critical bug.";
    if (bugReportMailer && bugReportMailer(kVantorLogSupportAddress, subject, subject, fileName))
        return;
    std::string manual = "Cannot connect with your email client.\r\nSend manually the \"" +
                         fileName + "\" file to the " + kVantorLogSupportAddress +
                         " email address, after click on OK button to close this box.";
    MessageBoxA(nullptr, manual.c_str(), "Information", MB_ICONEXCLAMATION | MB_OK | kBoxFlags);
}

void Warning(TVantorLogErrorCode code, const std::string& message) {
    lastWarningCode = code;
    lastWarningMessage = message;
    std::string line = std::string("[WARNING] - Code: ") + ErrorCodeName(code) +
                       " - Address: " + Hex8(CurrentAddress()) + " - Message: \"" + message + "\"";
    OutputDebugStringA(line.c_str());
    const auto value = static_cast<int>(code);
    if (sendDialogOpen && value >= 5 && value <= 8)
        MessageBoxA(nullptr, message.c_str(), "Error.", MB_ICONERROR | MB_OK | kBoxFlags);
}

void WarningFromException(TVantorLogErrorCode code, const std::string& section) {
    std::string message;
    if (CurrentExceptionMessage(message))
        Warning(code, "[" + section + "] " + message);
    else
        Warning(code, "General '" + section + "' error.");
}

void ClearWarning() {
    lastWarningCode = TVantorLogErrorCode::eeNone;
    lastWarningMessage.clear();
}

TVantorLogErrorCode LastWarningCode() {
    return lastWarningCode;
}
const std::string& LastWarningMessage() {
    return lastWarningMessage;
}
void SetSendDialogOpen(bool open) {
    sendDialogOpen = open;
}
