#include "ModuleFacts.h"

namespace {

bool IsReturn(uint8_t b) {
    return b == 0xC2 || b == 0xC3 || b == 0xCA || b == 0xCB;
}

} // namespace

std::string WithoutDevicePrefix(const std::string& fileName) {
    size_t mark = fileName.find('?');
    if (mark == std::string::npos)
        return fileName;
    size_t colon = fileName.find(':', mark);
    if (colon == std::string::npos || colon == 0)
        return fileName;
    return fileName.substr(colon - 1);
}

std::string FolderOfFile(const std::string& fileName) {
    size_t slash = fileName.find_last_of('\\');
    if (slash == std::string::npos)
        return "";
    // "C:\x.dll" lies in "C:\", not "C:".
    if (slash == 2 && fileName[1] == ':')
        return fileName.substr(0, 3);
    return fileName.substr(0, slash);
}

std::string FileVersionText(uint32_t versionMS, uint32_t versionLS) {
    if (versionMS == 0 && versionLS == 0)
        return "";
    return std::to_string(versionMS >> 16) + "." + std::to_string(versionMS & 0xFFFF) + "." +
           std::to_string(versionLS >> 16) + "." + std::to_string(versionLS & 0xFFFF);
}

uint32_t EstimateRoutineSize(const uint8_t* code, size_t available) {
    if (available == 0)
        return 1;
    if (code[0] == 0x55) {
        for (size_t i = 1; i + 1 < available; ++i)
            if ((code[i] == 0x5D || code[i] == 0xC9) && IsReturn(code[i + 1]))
                return static_cast<uint32_t>(i + 1);
        return 1;
    }
    for (size_t i = 0; i < available; ++i)
        if (IsReturn(code[i]))
            return static_cast<uint32_t>(i);
    return 1;
}
