// CodecBench: Base64 throughput and the cost of deciphering one 32-byte name with
// a key change before it, as the debug-data reader meets a module's names.
#include "Base64.h"
#include "Cipher.h"

#include "BenchClock.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

int main() {
    std::vector<uint8_t> input(1 << 20);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<uint8_t>(i * 131 + 7);
    std::vector<char> output(EncodedLength(input.size()));
    const int rounds = 64;
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        double t = Now();
        EncodeBytes(input.data(), output.data(), input.size());
        best = std::min(best, Now() - t);
    }
    std::printf("Base64: %.0f MB/s of input (best of %d passes over 1 MiB)\n", 1.0 / best, rounds);

    uint8_t name[32];
    for (int i = 0; i < 32; ++i)
        name[i] = static_cast<uint8_t>(i);
    const int samples = 20000;
    std::vector<double> cost(samples);
    for (int i = 0; i < samples; ++i) {
        std::string password = (i % 2) ? "module password A" : "module password B";
        double t = Now();
        CipherUsePassword(password); // changes every time
        CipherDecrypt(name, name, sizeof name);
        cost[static_cast<size_t>(i)] = Now() - t;
    }
    std::sort(cost.begin(), cost.end());
    std::printf("decipher a 32-byte name with a key change: median %.2f us\n",
                cost[samples / 2] * 1e6);
    double t = Now();
    for (int i = 0; i < samples; ++i)
        CipherDecrypt(name, name, sizeof name);
    std::printf("decipher a 32-byte name, same key: %.2f us\n", (Now() - t) / samples * 1e6);
    return 0;
}
