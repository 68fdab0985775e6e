#include "Base64.h"

#include <cstdint>

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

size_t EncodedLength(size_t size) {
    return 4 * (size / 3) + (size % 3 ? 4 : 0);
}

void EncodeBytes(const void* source, char* out, size_t size) {
    const auto* in = static_cast<const uint8_t*>(source);
    size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const unsigned b0 = in[i], b1 = in[i + 1], b2 = in[i + 2];
        *out++ = kAlphabet[b0 >> 2];
        *out++ = kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
        *out++ = kAlphabet[((b1 & 15) << 2) | (b2 >> 6)];
        *out++ = kAlphabet[b2 & 63];
    }
    if (size - i == 1) {
        const unsigned b0 = in[i];
        *out++ = kAlphabet[b0 >> 2];
        *out++ = kAlphabet[(b0 & 3) << 4];
        *out++ = '=';
        *out++ = '=';
    } else if (size - i == 2) {
        const unsigned b0 = in[i], b1 = in[i + 1];
        *out++ = kAlphabet[b0 >> 2];
        *out++ = kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
        *out++ = kAlphabet[(b1 & 15) << 2];
        *out++ = '=';
    }
}

std::string EncodeBlock(const void* block, size_t size) {
    std::string result(EncodedLength(size), '\0');
    EncodeBytes(block, result.data(), size);
    return result;
}

std::string EncodeText(const std::string& text) {
    return EncodeBlock(text.data(), text.size());
}
