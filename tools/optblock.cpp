// optblock: converts a developer's options file into the stored options block.
//   optblock OPTIONS_FILE OUTPUT
#include "OptionsFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: optblock OPTIONS_FILE OUTPUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "optblock: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    try {
        std::string block = OptionsBlockFromFile(text.str());
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        if (!out) {
            std::fprintf(stderr, "optblock: cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "optblock: %s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
