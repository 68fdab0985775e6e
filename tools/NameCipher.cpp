#include "NameCipher.h"

#include "Cipher.h"

#include <cstdint>
#include <cstring>

void CipherEncrypt(const void* source, void* destination, size_t length) {
    const auto* src = static_cast<const uint8_t*>(source);
    auto* dst = static_cast<uint8_t*>(destination);
    uint8_t chain[8];
    CipherInitialChain(chain);
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint8_t block[8];
        for (int k = 0; k < 8; ++k)
            block[k] = src[i + static_cast<size_t>(k)] ^ chain[k];
        CipherEncipherBlock(block, dst + i);
        std::memcpy(chain, dst + i, 8);
    }
    if (i < length)
        CipherKeyStreamTail(chain, src + i, dst + i, length - i);
}
