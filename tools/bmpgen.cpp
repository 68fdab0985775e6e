// bmpgen: writes a picture source as a .bmp or .ico file.
//   bmpgen bmp|ico SOURCE OUTPUT
#include "BitmapSource.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4 || (std::string(argv[1]) != "bmp" && std::string(argv[1]) != "ico")) {
        std::fprintf(stderr, "usage: bmpgen bmp|ico SOURCE OUTPUT\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "bmpgen: cannot read %s\n", argv[2]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    try {
        TBitmapSource source = ParseBitmapSource(text.str());
        auto bytes = std::string(argv[1]) == "bmp" ? WriteBmp4(source) : WriteIco4(source);
        std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "bmpgen: cannot write %s\n", argv[3]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bmpgen: %s: %s\n", argv[2], e.what());
        return 1;
    }
    return 0;
}
