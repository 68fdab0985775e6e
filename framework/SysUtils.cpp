#include "SysUtils.h"

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

void Abort() {
    throw EAbort();
}

std::string ExceptionClassName(const std::exception& e) {
    return DemangledName(typeid(e));
}

std::string DemangledName(const std::type_info& type) {
    const char* mangled = type.name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}
