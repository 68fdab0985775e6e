// optblock: converts a developer's options file into the stored options block.
//   optblock OPTIONS_FILE OUTPUT
#include "OptionsFile.h"
#include "ToolFiles.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: optblock OPTIONS_FILE OUTPUT\n");
        return 2;
    }
    try {
        std::string block = OptionsBlockFromFile(ReadWholeFile(argv[1]));
        WriteWholeFile(argv[2], block.data(), block.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "optblock: %s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
