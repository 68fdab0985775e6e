#include "ToolFiles.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

std::string ReadWholeFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read the file");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteWholeFile(const std::string& name, const void* data, size_t size) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out)
        throw std::runtime_error("cannot write " + name);
}
