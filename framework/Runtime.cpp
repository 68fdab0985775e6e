#include "Runtime.h"

#include "SysUtils.h"

#include <cstdio>
#include <string>

namespace {

void PrintLastChance(const char* where, std::exception_ptr e) {
    std::string text = "unknown exception";
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& ex) {
        text = "Exception " + ExceptionClassName(ex) + ": " + ex.what();
    } catch (...) {
    }
    std::fprintf(stderr, "%s %s\n", text.c_str(), where);
}

TLastChanceProc lastChance = PrintLastChance;
const char* currentUnit = nullptr;

} // namespace

void SetLastChanceProc(TLastChanceProc proc) {
    lastChance = proc ? proc : PrintLastChance;
}

const char* CurrentUnitName() {
    return currentUnit;
}

int RunProgram(TUnitEntry* units, size_t count, int (*body)()) {
    int exitCode = 0;
    size_t initialised = 0;
    std::string where;
    try {
        for (; initialised < count; ++initialised) {
            currentUnit = units[initialised].Name;
            where = std::string("in the initialization of unit ") + currentUnit;
            if (units[initialised].Initialization)
                units[initialised].Initialization();
        }
        currentUnit = nullptr;
        where = "in the program";
        exitCode = body();
    } catch (const EAbort&) {
        exitCode = 1;
    } catch (...) {
        lastChance(where.c_str(), std::current_exception());
        exitCode = 1;
    }
    while (initialised > 0) {
        TUnitEntry& unit = units[--initialised];
        currentUnit = unit.Name;
        try {
            if (unit.Finalization)
                unit.Finalization();
        } catch (...) {
            where = std::string("in the finalization of unit ") + unit.Name;
            lastChance(where.c_str(), std::current_exception());
            exitCode = 1;
        }
    }
    currentUnit = nullptr;
    return exitCode;
}
