#include "SectionRunner.h"

#include "SysUtils.h"

#include <cxxabi.h>

const char kVantorLogVersion[] = "5.0.5";

namespace {

TInternalErrorProc internalErrorProc = nullptr;

// Walks the class and its single or multiple bases, comparing demangled names.
bool InheritsFromName(const std::type_info* type, const std::string& name, int depth = 0) {
    if (!type || depth > 64)
        return false;
    if (DemangledName(*type) == name)
        return true;
    if (auto* si = dynamic_cast<const abi::__si_class_type_info*>(type))
        return InheritsFromName(si->__base_type, name, depth + 1);
    if (auto* vmi = dynamic_cast<const abi::__vmi_class_type_info*>(type)) {
        for (unsigned i = 0; i < vmi->__base_count; ++i)
            if (InheritsFromName(vmi->__base_info[i].__base_type, name, depth + 1))
                return true;
    }
    return false;
}

} // namespace

const char* ErrorCodeName(TVantorLogErrorCode code) {
    static const char* const names[] = {"eeNone",           "eeShowError",       "eeLogError",
                                        "eeEmailMAPIError", "eeEmailShellError", "eeEmailSMTPError",
                                        "eeWebHTTPError",   "eeWebHTTPSError",   "eeWebFTPError"};
    auto i = static_cast<size_t>(code);
    return i < sizeof names / sizeof names[0] ? names[i] : "";
}

void SetInternalErrorProc(TInternalErrorProc proc) {
    internalErrorProc = proc;
}

bool CurrentExceptionMessage(std::string& message) {
    try {
        throw;
    } catch (const std::exception& e) {
        message = e.what();
        return true;
    } catch (...) {
        message = "General internal error.";
        return false;
    }
}

bool CurrentExceptionIsAbort() {
    return InheritsFromName(abi::__cxa_current_exception_type(), "EAbort");
}

void RunSection(void (*step)(), const std::string& section) {
    try {
        step();
    } catch (...) {
        if (internalErrorProc) {
            internalErrorProc(section);
            throw EAbort();
        }
        std::string message;
        if (!CurrentExceptionMessage(message))
            throw Exception("General internal error.");
        throw Exception("Critical error at: \"" + section + "\"\r\nError: \"" + message + "\".");
    }
}
