// The fuzz targets' view of the fuzzer's bytes: small values and lines of text read
// off the front, and the one way a target reports a broken rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// A rule the code must keep for every input. Breaking it aborts, which the fuzzer
// reports as a crash and keeps the input of.
inline void Require(bool holds) {
    if (!holds)
        std::abort();
}

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : at(data), left(size) {}

    // The next byte; 0 once the input is used up.
    uint8_t Byte() {
        if (!left)
            return 0;
        --left;
        return *at++;
    }
    // Four bytes, low first.
    int32_t Int() {
        uint32_t v = 0;
        for (int shift = 0; shift < 32; shift += 8)
            v |= uint32_t(Byte()) << shift;
        return int32_t(v);
    }
    // The bytes up to the next "\n" (which is dropped) or the end.
    std::string Line() {
        std::string line;
        while (left) {
            const char c = char(Byte());
            if (c == '\n')
                break;
            line += c;
        }
        return line;
    }
    // The same as UTF-16 units, one byte each (0x80 to 0xFF as Latin-1).
    std::wstring WideLine() {
        const std::string line = Line();
        std::wstring wide;
        for (unsigned char c : line)
            wide += wchar_t(c);
        return wide;
    }
    const uint8_t* Rest() const { return at; }
    size_t RestSize() const { return left; }

private:
    const uint8_t* at;
    size_t left;
};
