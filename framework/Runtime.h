// The runtime layer's program start and exit: an ordered table of units, each with
// an initialisation and a finalisation. Portable.
#pragma once

#include <cstddef>
#include <exception>

struct TUnitEntry {
    const char* Name;
    void (*Initialization)(); // may be null
    void (*Finalization)();   // may be null
};

// What the runtime does with an exception that nothing handled: the program's
// last chance to say what happened. The default prints to standard error.
using TLastChanceProc = void (*)(const char* where, std::exception_ptr e);
void SetLastChanceProc(TLastChanceProc proc);

// Initialises the units in table order, runs the program body, then finalises the
// initialised units in reverse order. An exception escaping an initialisation or
// the body goes to the last-chance procedure and makes the exit code 1; the units
// already initialised are still finalised.
int RunProgram(TUnitEntry* units, size_t count, int (*body)());

// The unit being initialised or finalised, or null.
const char* CurrentUnitName();
