// The readable-memory test: every read of stack or foreign memory goes through it.
#pragma once

#include <cstddef>
#include <cstdint>

// True when every byte of the range lies in committed memory that is read-only,
// read-write, write-copy, execute, execute-read, execute-read-write or
// execute-write-copy, with no modifier (guard, no-cache, write-combine) set.
bool IsReadable(const void* address, size_t length);
