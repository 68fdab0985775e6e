// The library's Base64 encoder (RFC 4648 alphabet, "=" padding). Encodes only.
// Portable.
#pragma once

#include <cstddef>
#include <string>

// Characters for size input bytes: 4 per started group of 3.
size_t EncodedLength(size_t size);
// Writes exactly EncodedLength(size) characters; no terminator, no line breaks.
void EncodeBytes(const void* source, char* output, size_t size);
// One allocation of EncodedLength characters each.
std::string EncodeText(const std::string& text);
std::string EncodeBlock(const void* block, size_t size);
