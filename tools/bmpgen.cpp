// bmpgen: writes a picture source as a .bmp or .ico file.
//   bmpgen bmp|ico SOURCE OUTPUT
#include "BitmapSource.h"
#include "ToolFiles.h"

#include <cstdio>
#include <stdexcept>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4 || (std::string(argv[1]) != "bmp" && std::string(argv[1]) != "ico")) {
        std::fprintf(stderr, "usage: bmpgen bmp|ico SOURCE OUTPUT\n");
        return 2;
    }
    try {
        TBitmapSource source = ParseBitmapSource(ReadWholeFile(argv[2]));
        auto bytes = std::string(argv[1]) == "bmp" ? WriteBmp4(source) : WriteIco4(source);
        WriteWholeFile(argv[3], bytes.data(), bytes.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bmpgen: %s: %s\n", argv[2], e.what());
        return 1;
    }
    return 0;
}
