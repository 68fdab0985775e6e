// The options file of a program's developer: a readable INI file naming options
// and texts by their field names, converted into an options object (and from there
// into the stored options block). Portable.
//
//   # comment (also ;)
//   [Options]
//   LogActive = True             booleans: True/False or 1/0
//   LogFlags = 48                numbers: decimal or 0x hexadecimal
//   ReportItems = 0xFFFFFFFFFF   five bytes, bit n of the set is bit n of the number
//   LogFolder = C:\Logs          text to the end of the line, trimmed ...
//   FreezeText = "Frozen.\r\n"   ... or quoted, with \r \n \t \\ \" \xHH
//   [Texts]
//   15 = "&Terminate"            a text by its index
//   [Filters]
//   EAccessViolation = "Message shown for this class"
//
// Options not named keep the object's values; the filters of the file replace
// the object's.
#pragma once

#include "VantorLogOptions.h"

#include <string>

// Applies an options file; raises EReadError naming the line for anything wrong.
void ReadOptionsFile(const std::string& text, TVantorModuleOptions& options);

// The stored options block of a file's options (defaults for what it leaves out).
std::string OptionsBlockFromFile(const std::string& text);
