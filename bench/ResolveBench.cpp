// ResolveBench LUMARO_EXE: the median cost of resolving one address of Lumaro.exe
// through its own debug block, over 10,000 random addresses of its code.
#include "DebugBlock.h"
#include "DebugInfo.h"
#include "LineTable.h"

#include "BenchClock.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ResolveBench LUMARO_EXE\n");
        return 2;
    }
    HMODULE module = LoadLibraryExA(argv[1], nullptr, DONT_RESOLVE_DLL_REFERENCES);
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!module || !ModuleDebugResource(module, data, size)) {
        std::fprintf(stderr, "ResolveBench: no debug block in %s\n", argv[1]);
        return 1;
    }
    TVantorModuleOptions options("", false);
    TDebugData block;
    std::string error;
    double t0 = Now();
    if (!ReadDebugResource(data, size, options, true, block, error)) {
        std::fprintf(stderr, "ResolveBench: %s\n", error.c_str());
        return 1;
    }
    double loadCost = Now() - t0;
    const auto base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(
        reinterpret_cast<const uint8_t*>(module) + dos->e_lfanew);
    const uint32_t codeSize = nt->OptionalHeader.SizeOfCode;
    TLineLookup lookup;
    lookup.Names.Version = block.Version;
    lookup.ModuleBase = base;
    lookup.ReadCode = [](uint32_t address, uint8_t* bytes, size_t count) {
        std::memcpy(bytes, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), count);
        return true;
    };
    std::mt19937 random(1);
    std::vector<double> cost;
    int resolved = 0;
    for (int i = 0; i < 10000; ++i) {
        uint32_t address = base + 0x1000 + random() % codeSize;
        TLineInfo info;
        double t = Now();
        resolved +=
            FindLineInfo(block.LineTable.data(), block.LineTable.size(), lookup, address, info);
        cost.push_back(Now() - t);
    }
    std::sort(cost.begin(), cost.end());
    std::printf("debug block: %zu-byte line table, loaded in %.1f ms\n", block.LineTable.size(),
                loadCost * 1e3);
    std::printf(
        "resolving one address: median %.1f us, 90th percentile %.1f us (%d of 10000 resolved)\n",
        cost[5000] * 1e6, cost[9000] * 1e6, resolved);
    return 0;
}
