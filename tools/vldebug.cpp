// vldebug: writes a module's debug block from its linked PE32 image and its
// options file: the "VLDATA" resource form, or with --tail the form that is
// appended to the module's file.
//   vldebug [--tail] IMAGE OPTIONS_FILE OUTPUT [PASSWORD]
#include "DebugBlockWriter.h"
#include "LineTableBuilder.h"
#include "LineTableWriter.h"
#include "OptionsFile.h"
#include "PeImage.h"
#include "ToolFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

std::vector<uint8_t> ReadFile(const char* name) {
    std::string bytes = ReadWholeFile(name);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// The framework's handlers that the library patches: symbol IDs 0 and 1.
const char* const kSymbolNames[] = {"TApplication::HandleException(",
                                    "TApplication::ShowException("};

double NowAsDayCount() {
    using namespace std::chrono;
    double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
    return 25569.0 + seconds / 86400.0; // 1970-01-01 is day 25569 after 1899-12-30
}

} // namespace

int main(int argc, char** argv) {
    bool tail = argc > 1 && std::string(argv[1]) == "--tail";
    if (tail) {
        --argc;
        ++argv;
    }
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: vldebug [--tail] IMAGE OPTIONS_FILE OUTPUT [PASSWORD]\n");
        return 2;
    }
    try {
        std::vector<uint8_t> imageFile = ReadFile(argv[1]);
        TPeImage image = ReadPeImage(imageFile);
        TDebugBlockContent content;
        content.CompilationDate = NowAsDayCount();
        content.Password = argc == 5 ? argv[4] : "";
        std::vector<uint8_t> optionsText = ReadFile(argv[2]);
        std::string block =
            OptionsBlockFromFile(std::string(optionsText.begin(), optionsText.end()));
        content.Options.assign(block.begin(), block.end());
        for (uint8_t id = 0; id < 2; ++id) {
            for (const TPeSymbol& s : image.Symbols) {
                std::string name = DemangledSymbol(s.Name);
                // The function itself, not a cold part split off from it.
                if (s.Function && name.rfind(kSymbolNames[id], 0) == 0 &&
                    name.find("[clone") == std::string::npos && s.Rva >= 0x1000) {
                    content.Symbols.push_back({id, s.Rva - 0x1000});
                    std::printf("vldebug: symbol %u %08X %s\n", id, image.ImageBase + s.Rva,
                                name.c_str());
                    break;
                }
            }
        }
        TNameContext names;
        names.Password = content.Password;
        auto section = [&](const char* name, const uint8_t*& data, size_t& size) {
            if (const TPeSection* s = image.Find(name)) {
                data = imageFile.data() + s->RawOffset;
                size = std::min(s->RawSize, s->VirtualSize);
            }
        };
        TDwarfSections dwarf;
        section(".debug_line", dwarf.Line, dwarf.LineSize);
        section(".debug_line_str", dwarf.LineStr, dwarf.LineStrSize);
        section(".debug_str", dwarf.Str, dwarf.StrSize);
        if (!dwarf.Line)
            throw std::runtime_error("no debug information (.debug_line); link with -g");
        std::vector<TDwarfRow> rows = ReadDwarfLines(dwarf);
        size_t units = 0;
        content.LineTable = BuildLineTable(image, rows, names, &units);
        std::printf("vldebug: %zu line rows in %zu units, line table %zu bytes\n", rows.size(),
                    units, content.LineTable.size());
        std::vector<uint8_t> out = tail ? WriteDebugTail(content) : WriteDebugResource(content);
        std::ofstream file(argv[3], std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(out.data()),
                   static_cast<std::streamsize>(out.size()));
        if (!file)
            throw std::runtime_error(std::string("cannot write ") + argv[3]);
        std::printf("vldebug: %s: %zu symbols of %zu, %zu bytes\n", argv[1], content.Symbols.size(),
                    sizeof kSymbolNames / sizeof kSymbolNames[0], out.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vldebug: %s: %s\n", argv[1], e.what());
        std::remove(argv[3]);
        return 1;
    }
    return 0;
}
