// Deciphering the names of a module's debug data: MD5 turns a password into a
// 128-bit key, a 64-bit block cipher of the TEA family with its own round function
// works on blocks, and Decrypt undoes the chaining the writer tool used. The key
// and the chaining block are process-wide; callers serialise. Portable.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using TMd5Digest = std::array<uint8_t, 16>;
TMd5Digest Md5Digest(const void* data, size_t length);

// Every byte of the initial chaining block; the writer tool uses the same.
constexpr uint8_t kChainingByte = 0xA5;

// Computes and stores the key: the digest read as four big-endian words.
void CipherSetKey(const std::string& password);
// Sets the key only when the password differs from the one set last.
void CipherUsePassword(const std::string& password);
const std::string& CipherLastPassword();

// One 8-byte block, two big-endian words, in place allowed.
void CipherEncipherBlock(const uint8_t in[8], uint8_t out[8]);
void CipherDecipherBlock(const uint8_t in[8], uint8_t out[8]);

// The initial chaining block.
void CipherInitialChain(uint8_t chain[8]);
// The short-tail step of both directions: the chaining block is enciphered in
// place and its first bytes are XORed over the tail.
void CipherKeyStreamTail(uint8_t chain[8], const uint8_t* source, uint8_t* destination,
                         size_t length);

// Deciphers length bytes: block chaining for whole blocks, and for a short tail the
// enciphered chaining block as key stream. Source and destination may be equal.
void CipherDecrypt(const void* source, void* destination, size_t length);
