// vldecode: the instruction length decoder of the hooking engine on a linked
// image, for comparison with objdump: for each address (hex, one a line on
// standard input) prints "address length", or "address ?" where it decodes none.
//   vldecode IMAGE
#include "InstructionLength.h"
#include "PeImage.h"
#include "ToolFiles.h"

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vldecode IMAGE < addresses\n");
        return 2;
    }
    try {
        std::string bytes = ReadWholeFile(argv[1]);
        std::vector<uint8_t> file(bytes.begin(), bytes.end());
        TPeImage image = ReadPeImage(file);
        for (std::string line; std::getline(std::cin, line);) {
            const uint32_t address = static_cast<uint32_t>(std::stoul(line, nullptr, 16));
            TInstruction instruction;
            bool decoded = false;
            for (const TPeSection& s : image.Sections) {
                const uint32_t start = image.ImageBase + s.VirtualAddress;
                const uint32_t size = std::min(s.RawSize, s.VirtualSize);
                if (address >= start && address - start < size) {
                    decoded = DecodeInstruction(file.data() + s.RawOffset + (address - start),
                                                size - (address - start), instruction);
                    break;
                }
            }
            if (decoded)
                std::printf("%08X %zu\n", address, instruction.Length);
            else
                std::printf("%08X ?\n", address);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vldecode: %s\n", e.what());
        return 1;
    }
    return 0;
}
