// The byte and text rules of the module list: file names, versions and the
// size of an exported routine. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A loader name such as "\??\C:\dir\x.dll" without its device prefix: when the
// name holds "?", everything before the character that precedes the first ":"
// after it goes.
std::string WithoutDevicePrefix(const std::string& fileName);

// The folder of a file name without its trailing "\"; a drive root keeps it.
std::string FolderOfFile(const std::string& fileName);

// "major.minor.release.build" from the two most significant and the two least
// significant version words; "" for 0.0.0.0.
std::string FileVersionText(uint32_t versionMS, uint32_t versionLS);

// The length of a routine, estimated from its code up to the end of the code
// range (available bytes): for a routine that begins with push ebp (55), the
// first pop ebp (5D) or leave (C9) directly followed by a return (C2, C3, CA, CB)
// ends it at that return; for any other, the first return byte. The return itself
// is not counted; 1 when none lies within the range.
uint32_t EstimateRoutineSize(const uint8_t* code, size_t available);
