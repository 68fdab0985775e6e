#include "Classes.h"
#include "BitmapSource.h"

#include <map>
#include <sstream>
#include <stdexcept>

const uint8_t kStandardPalette[16][4] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
};

namespace {

[[noreturn]] void Fail(int line, const std::string& what) {
    throw std::runtime_error("line " + std::to_string(line) + ": " + what);
}

size_t Stride(int width, int bits) {
    return ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
}

// Info header, colour table and 4-bit rows; icons double the height and add a mask.
void PutDib(std::vector<uint8_t>& out, const TBitmapSource& s, bool withMask) {
    size_t colorRows = Stride(s.Width, 4) * s.Height;
    size_t maskRows = withMask ? Stride(s.Width, 1) * s.Height : 0;
    AppendU32(out, 40);
    AppendU32(out, static_cast<uint32_t>(s.Width));
    AppendU32(out, static_cast<uint32_t>(withMask ? 2 * s.Height : s.Height));
    AppendU16(out, 1);
    AppendU16(out, 4);
    AppendU32(out, 0);
    AppendU32(out, static_cast<uint32_t>(colorRows + maskRows));
    AppendU32(out, 0);
    AppendU32(out, 0);
    AppendU32(out, 16);
    AppendU32(out, 0);
    for (const auto& entry : kStandardPalette)
        out.insert(out.end(), entry, entry + 4);
    for (int y = s.Height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(Stride(s.Width, 4), 0);
        for (int x = 0; x < s.Width; ++x) {
            int index = s.At(x, y) < 0 ? 0 : s.At(x, y);
            row[x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? index << 4 : index);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    if (!withMask)
        return;
    for (int y = s.Height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(Stride(s.Width, 1), 0);
        for (int x = 0; x < s.Width; ++x)
            if (s.At(x, y) < 0)
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
}

} // namespace

TBitmapSource ParseBitmapSource(const std::string& text) {
    std::map<char, int> legend;
    TBitmapSource s;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    bool inPixels = false;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!inPixels) {
            if (line.empty() || line[0] == '#')
                continue;
            std::istringstream words(line);
            std::string word;
            words >> word;
            if (word == "pixels") {
                inPixels = true;
                continue;
            }
            std::string ch, value;
            if (word != "legend" || !(words >> ch >> value) || ch.size() != 1)
                Fail(lineNo, "expected \"legend <char> <index>\" or \"pixels\"");
            int index = -1;
            if (value != "transparent") {
                try {
                    index = std::stoi(value);
                } catch (...) {
                    Fail(lineNo, "the palette index is not a number");
                }
                if (index < 0 || index > 15)
                    Fail(lineNo, "the palette index must be 0 to 15");
            }
            legend[ch[0]] = index;
            continue;
        }
        if (line.empty())
            continue;
        if (s.Width == 0)
            s.Width = static_cast<int>(line.size());
        if (static_cast<int>(line.size()) != s.Width)
            Fail(lineNo, "every row must be " + std::to_string(s.Width) + " pixels wide");
        for (char c : line) {
            auto it = legend.find(c);
            if (it == legend.end())
                Fail(lineNo, std::string("character '") + c + "' is not in the legend");
            s.Pixels.push_back(it->second);
        }
        ++s.Height;
    }
    if (s.Height == 0)
        Fail(lineNo, "no pixel rows");
    return s;
}

std::vector<uint8_t> WriteBmp4(const TBitmapSource& s) {
    std::vector<uint8_t> dib;
    PutDib(dib, s, false);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    AppendU32(out, static_cast<uint32_t>(14 + dib.size()));
    AppendU32(out, 0);
    AppendU32(out, 14 + 40 + 16 * 4);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

std::vector<uint8_t> WriteIco4(const TBitmapSource& s) {
    if (s.Width > 256 || s.Height > 256)
        throw std::runtime_error("an icon is at most 256 pixels wide and high");
    std::vector<uint8_t> dib;
    PutDib(dib, s, true);
    std::vector<uint8_t> out;
    AppendU16(out, 0);
    AppendU16(out, 1); // icon
    AppendU16(out, 1); // one image
    out.push_back(static_cast<uint8_t>(s.Width % 256));
    out.push_back(static_cast<uint8_t>(s.Height % 256));
    out.push_back(16);
    out.push_back(0);
    AppendU16(out, 1);
    AppendU16(out, 4);
    AppendU32(out, static_cast<uint32_t>(dib.size()));
    AppendU32(out, 6 + 16);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}
