// The small wrapper over zlib that the tar-gzip packer and the debug-data reader
// use. Portable.
#pragma once

#include "SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class EZLibError : public Exception {
public:
    using Exception::Exception;
};

// Decompressed output never grows past this: hostile data cannot exhaust memory.
constexpr size_t kDecompressLimit = 64u << 20;

// One zlib stream at level 9.
std::vector<uint8_t> ZCompress(const void* source, size_t length);
// Inflates while zlib answers OK; an error answer ends it without an exception and
// the result is what was produced. Raises EZLibError when the output would pass
// kDecompressLimit, or when zlib's set-up or end fails.
std::vector<uint8_t> ZDecompress(const void* source, size_t length);
