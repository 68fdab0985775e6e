#include "Compression.h"

#include <zlib.h>

namespace {

[[noreturn]] void Fail(int code) {
    static const char* const messages[] = {
        "need dictionary",     "stream end",   "",
        "file error",          "stream error", "data error",
        "insufficient memory", "buffer error", "incompatible version"};
    int index = 2 - code;
    throw EZLibError(index >= 0 && index <= 8 ? messages[index] : "unknown zlib error");
}

size_t RoundUp256(size_t n) {
    return (n + 255) / 256 * 256;
}

} // namespace

std::vector<uint8_t> ZCompress(const void* source, size_t length) {
    z_stream z{};
    int rc = deflateInit_(&z, 9, "1.2.2", static_cast<int>(sizeof(z_stream)));
    if (rc < 0)
        Fail(rc);
    std::vector<uint8_t> out(RoundUp256(length + length / 10 + 12));
    z.next_in = static_cast<Bytef*>(const_cast<void*>(source));
    z.avail_in = static_cast<uInt>(length);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    for (;;) {
        rc = deflate(&z, Z_FINISH);
        if (rc == Z_STREAM_END)
            break;
        if (rc < 0 && rc != Z_BUF_ERROR) {
            deflateEnd(&z);
            Fail(rc);
        }
        if (z.avail_out == 0) { // more room, 256 bytes at a time
            size_t used = out.size();
            out.resize(used + 256);
            z.next_out = out.data() + used;
            z.avail_out = 256;
        }
    }
    out.resize(z.total_out);
    rc = deflateEnd(&z);
    if (rc < 0)
        Fail(rc);
    return out;
}

std::vector<uint8_t> ZDecompress(const void* source, size_t length) {
    z_stream z{};
    z.next_in = static_cast<Bytef*>(const_cast<void*>(source));
    z.avail_in = static_cast<uInt>(length);
    int rc = inflateInit_(&z, "1.2.2", static_cast<int>(sizeof(z_stream)));
    if (rc < 0)
        Fail(rc);
    std::vector<uint8_t> out;
    const size_t step = RoundUp256(length == 0 ? 1 : length);
    do {
        size_t used = z.total_out;
        if (out.size() + step > kDecompressLimit) {
            inflateEnd(&z);
            throw EZLibError("decompressed data larger than the limit");
        }
        out.resize(out.size() + step);
        z.next_out = out.data() + used;
        z.avail_out = static_cast<uInt>(out.size() - used);
        rc = inflate(&z, Z_NO_FLUSH);
    } while (rc == Z_OK);
    out.resize(z.total_out);
    rc = inflateEnd(&z);
    if (rc < 0)
        Fail(rc);
    return out;
}
