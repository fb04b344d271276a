#include "net/SerialDecoding.h"

#include "app/base/TextUtils.h"

#include <cstring>

namespace {

// One byte widened by sign extension to a 16-bit unit, kept in wchar_t.
wchar_t WidenSigned(unsigned char byte) {
    return static_cast<wchar_t>(static_cast<uint16_t>(static_cast<int16_t>(static_cast<signed char>(byte))));
}

// A character that is not a hex digit counts as 0.
int HexDigit(char c) {
    const int value = HexDigitValue(c);
    return value < 0 ? 0 : value;
}

uint32_t ReadLe32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

const wchar_t kHex[] = L"0123456789ABCDEF";

void AppendHex32(std::wstring& out, uint32_t v) {
    for (int shift = 28; shift >= 0; shift -= 4)
        out += kHex[(v >> shift) & 0xF];
}

} // namespace

std::wstring IdentifyWordsToString(const uint16_t (&words)[10]) {
    std::wstring text;
    for (uint16_t word : words) {
        const unsigned char bytes[2] = {static_cast<unsigned char>(word >> 8),
                                        static_cast<unsigned char>(word & 0xFF)};
        for (unsigned char b : bytes) {
            if (b == 0)
                return text;
            if (b != ' ')
                text += WidenSigned(b);
        }
    }
    return text;
}

std::wstring IdentifySerialFromBlock(const unsigned char* block, size_t blockBytes) {
    const size_t first = 10 * 2, count = 10;
    if (!block || blockBytes < first + count * 2)
        return std::wstring();
    uint16_t words[10];
    for (size_t i = 0; i < count; ++i)
        words[i] = static_cast<uint16_t>(block[first + 2 * i] | block[first + 2 * i + 1] << 8);
    return IdentifyWordsToString(words);
}

std::wstring DecodeHexSerial(const char* text, size_t maxBytes) {
    std::wstring out;
    if (!text)
        return out;
    size_t n = 0;
    while (n < maxBytes && text[n] != '\0')
        ++n;
    auto digitAt = [&](size_t i) { return i < n ? HexDigit(text[i]) : 0; };
    for (size_t group = 0; group < n; group += 4) {
        const size_t pairs[2] = {group + 2, group};
        for (size_t p : pairs) {
            const unsigned char byte = static_cast<unsigned char>(digitAt(p) * 16 + digitAt(p + 1));
            if (byte != 0 && byte != ' ')
                out += WidenSigned(byte);
        }
    }
    return out;
}

std::wstring SerialFromStorageDescriptor(const unsigned char* data, size_t returned) {
    // STORAGE_DEVICE_DESCRIPTOR: Version, Size, then DeviceType, DeviceTypeModifier,
    // RemovableMedia, CommandQueueing (bytes 8..11), then the offsets of vendor,
    // product, revision and serial (SerialNumberOffset at byte 24).
    const size_t kSerialOffsetField = 24;
    if (!data || returned < kSerialOffsetField + 4)
        return std::wstring();
    const uint32_t offset = ReadLe32(data + kSerialOffsetField);
    if (offset == 0 || offset >= returned)
        return std::wstring();
    return DecodeHexSerial(reinterpret_cast<const char*>(data) + offset, returned - offset);
}

std::wstring SerialFromMediaSerialData(const unsigned char* data, size_t returned) {
    const size_t kSerialData = 16;
    std::wstring out;
    if (!data || returned <= kSerialData)
        return out;
    const unsigned char* text = data + kSerialData;
    const size_t limit = returned - kSerialData;
    size_t n = 0;
    while (n < limit && text[n] != 0)
        ++n;
    for (size_t i = 0; i < n; i += 4)
        if (text[i] != ' ')
            out += WidenSigned(text[i]);
    return out;
}

bool StartsWithAsciiAlnum(const std::wstring& text) {
    if (text.empty())
        return false;
    const wchar_t c = text[0];
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

std::wstring FormatCpuIdString(uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx) {
    std::wstring out;
    out.reserve(35);
    const uint32_t regs[4] = {eax, ebx, ecx, edx};
    for (int i = 0; i < 4; ++i) {
        if (i)
            out += L'-';
        AppendHex32(out, regs[i]);
    }
    return out;
}

std::wstring FormatMacText(const unsigned char (&address)[6]) {
    std::wstring out;
    for (unsigned char b : address) {
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    }
    return out;
}
