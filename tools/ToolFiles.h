// Whole-file reading and writing for the host tools; failures raise
// std::runtime_error ("cannot read the file", "cannot write the file").
#pragma once

#include <cstddef>
#include <string>

std::string ReadWholeFile(const std::string& name);
void WriteWholeFile(const std::string& name, const void* data, size_t size);
