// The byte and text rules of the call-stack builder: which call instruction
// ends just before a return address, and how an export name splits into unit,
// class and procedure. Portable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The call forms, tested in this order on the 7 bytes before a return address.
enum TCallForm : uint8_t {
    kNoCall = 0,
    kCallDirect = 1,          // E8 rel32
    kCallRegister = 2,        // FF D0..D7
    kCallThroughRegister = 3, // FF 10..13, 16..17
    kCallRegisterDisp8 = 4,   // FF 50..53, 55..57 disp8
    kCallRegisterDisp32 = 5,  // FF 90..93, 95..97 disp32
    kCallThroughEsp = 6,      // FF 14 24
    kCallEspDisp8 = 7,        // FF 54 24 disp8
    kCallEspDisp32 = 8,       // FF 94 24 disp32
    kCallAbsolutePointer = 9, // FF 15 ptr32, when the pointer is readable
};

// Tests the 7 bytes before a return address against the call forms; callOffset
// is where the call begins within them. pointerReadable answers whether 4 bytes
// at an address are readable (form 9).
TCallForm MatchCallForm(const uint8_t* before7,
                        const std::function<bool(uint32_t)>& pointerReadable, uint32_t& callOffset);

// What an export name says.
struct TExportName {
    uint8_t Kind = 1; // 1: nothing taken from the name; 2: a procedure; 3: with its unit
    std::string UnitName;
    std::string ClassName;
    std::string ProcedureName;
};

// Splits an export name: mangled "@Unit@Class@Procedure$..." names, dotted
// names ("Unit.Procedure", "Unit.Class.Procedure"), plain names; "?" names give
// nothing. A procedure's leading "@" becomes "_".
TExportName SplitExportName(const std::string& name);
