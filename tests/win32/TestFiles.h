// Where the tests find their files: the test program's folder, the temporary
// folder, and lines of the sources.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>

inline std::string TestFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of('\\'));
}

inline std::string TempFolder() {
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    return path;
}

// The number of the first line of a source file that holds the text; 0 for none.
inline int LineOf(const std::string& file, const std::string& text) {
    std::ifstream in(file);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.find(text) != std::string::npos)
            return number;
    }
    return 0;
}
