// MD5 message digest (RFC 1321) over a byte string. The machine ids are MD5 hex
// texts; a small self-contained implementation keeps them computable (and
// testable) without any Windows API.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CMd5 {
public:
    CMd5();

    void Update(const void* data, size_t length);
    // Pads, appends the bit length and writes the 16-byte digest. The object is
    // spent afterwards; Reset() to hash another text.
    void Final(unsigned char (&digest)[16]);
    void Reset();

    // One-shot digest of a byte string.
    static void Digest(const std::string& bytes, unsigned char (&digest)[16]);

private:
    void Transform(const unsigned char* block);

    uint32_t state_[4];
    uint64_t bitCount_;
    unsigned char buffer_[64];
};

// 32 lower-case hexadecimal digits of the MD5 digest of the bytes.
std::wstring Md5Hex(const std::string& bytes);
