// The enciphering side of the debug-data names, for the writer tool only: block
// chaining forward from the same initial chaining block that the library's
// CipherDecrypt starts from. Never linked into the program.
#pragma once

#include <cstddef>

void CipherEncrypt(const void* source, void* destination, size_t length);
