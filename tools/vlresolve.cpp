// vlresolve: resolves addresses (hex, one a line on standard input) through a
// module's debug block as the library does, printing "address unit line
// class.procedure"; used to compare with addr2line.
//   vlresolve IMAGE VLDATA
#include "DebugBlock.h"
#include "LineTable.h"
#include "PeImage.h"
#include "ToolFiles.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vlresolve IMAGE VLDATA < addresses\n");
        return 2;
    }
    try {
        std::string imageBytes = ReadWholeFile(argv[1]), blockBytes = ReadWholeFile(argv[2]);
        std::vector<uint8_t> file(imageBytes.begin(), imageBytes.end());
        std::vector<uint8_t> block(blockBytes.begin(), blockBytes.end());
        TPeImage image = ReadPeImage(file);
        TVantorModuleOptions options("", false);
        TDebugData data;
        std::string error;
        if (!ReadDebugResource(block.data(), block.size(), options, true, data, error)) {
            std::fprintf(stderr, "vlresolve: %s\n", error.c_str());
            return 1;
        }
        TLineLookup lookup;
        lookup.Names.Version = data.Version;
        lookup.Names.NamesReadable = PasswordMatches(data, "");
        lookup.ModuleBase = image.ImageBase;
        lookup.ReadCode = [&](uint32_t address, uint8_t* bytes, size_t count) {
            for (const TPeSection& s : image.Sections) {
                uint32_t start = image.ImageBase + s.VirtualAddress;
                if (address >= start && address + count <= start + s.RawSize) {
                    std::memcpy(bytes, file.data() + s.RawOffset + (address - start), count);
                    return true;
                }
            }
            return false;
        };
        for (std::string line; std::getline(std::cin, line);) {
            uint32_t address = static_cast<uint32_t>(std::stoul(line, nullptr, 16));
            TLineInfo info;
            if (FindLineInfo(data.LineTable.data(), data.LineTable.size(), lookup, address, info))
                std::printf("%08X %s %d %s%s%s\n", address, info.UnitName.c_str(), info.Line,
                            info.ClassName.c_str(), info.ClassName.empty() ? "" : ".",
                            info.ProcedureName.c_str());
            else
                std::printf("%08X ? 0 ?\n", address);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vlresolve: %s\n", e.what());
        return 1;
    }
    return 0;
}
