// Serial-number text from the bytes disk drivers return, and the fixed-width
// processor and adapter texts.
#include "net/SerialDecoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::wstring W(std::initializer_list<unsigned> units) {
    std::wstring s;
    for (unsigned u : units)
        s += static_cast<wchar_t>(u);
    return s;
}

struct WordsCase {
    const char* what;
    uint16_t words[10];
    std::wstring expected;
};

TEST(IdentifyWordsToString, Cases) {
    const WordsCase cases[] = {
        {"high byte before low byte",
         {0x3132, 0x3334, 0x3536, 0x3738, 0x3930, 0x4142, 0x4344, 0x4546, 0x4748, 0x494A},
         L"1234567890ABCDEFGHIJ"},
        {"leading, inner and trailing spaces all dropped",
         {0x2020, 0x2057, 0x2D20, 0x4444, 0x2041, 0x2020, 0x3120, 0x2020, 0x2020, 0x2020},
         L"W-DDA1"},
        {"a zero byte ends the text", {0x4142, 0x4300, 0x4445, 0x4647, 0, 0, 0, 0, 0, 0}, L"ABC"},
        {"zero in the high byte ends before the low byte",
         {0x4142, 0x0043, 0x4445, 0, 0, 0, 0, 0, 0, 0},
         L"AB"},
        {"all spaces give nothing",
         {0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020},
         L""},
        {"bytes from 0x80 up are sign-extended",
         {0x80FF, 0x7F41, 0xC3A4, 0, 0, 0, 0, 0, 0, 0},
         W({0xFF80, 0xFFFF, 0x7F, 0x41, 0xFFC3, 0xFFA4})},
    };
    for (const WordsCase& c : cases)
        EXPECT_EQ(IdentifyWordsToString(c.words), c.expected) << c.what;
}

TEST(IdentifyWordsToString, AtMostTwentyCharacters) {
    const uint16_t words[10] = {0x5858, 0x5858, 0x5858, 0x5858, 0x5858,
                                0x5858, 0x5858, 0x5858, 0x5858, 0x5858};
    EXPECT_EQ(IdentifyWordsToString(words), std::wstring(20, L'X'));
}

TEST(IdentifySerialFromBlock, ReadsWordsTenToNineteenLittleEndian) {
    std::vector<unsigned char> block(512, 0xEE);
    const char serial[] = "  WD-12345678  "; // as the drive stores it: byte-swapped pairs
    for (size_t i = 0; i < 20; ++i) {
        const unsigned char c = i < std::strlen(serial) ? serial[i] : ' ';
        block[20 + (i ^ 1)] = c; // word order high byte first: swap within each word
    }
    EXPECT_EQ(IdentifySerialFromBlock(block.data(), block.size()), L"WD-12345678");
    // Exactly up to word 19 is enough; one byte less is not.
    std::vector<unsigned char> exact(block.begin(), block.begin() + 40);
    EXPECT_EQ(IdentifySerialFromBlock(exact.data(), exact.size()), L"WD-12345678");
    std::vector<unsigned char> shortBlock(block.begin(), block.begin() + 39);
    EXPECT_EQ(IdentifySerialFromBlock(shortBlock.data(), shortBlock.size()), L"");
    EXPECT_EQ(IdentifySerialFromBlock(nullptr, 512), L"");
}

struct HexCase {
    const char* text;
    std::wstring expected;
};

TEST(DecodeHexSerial, Cases) {
    const HexCase cases[] = {
        {"3957", L"W9"},
        {"", L""},
        {"4A4b", L"KJ"},             // either letter case
        {"5758595A", L"XWZY"},       // each group of four swaps its pairs
        {"395", L"P9"},              // odd length: the missing digit counts as 0 (0x50)
        {"41", L"A"},                // the pair past the end is 0 and dropped
        {"zz41", L"A"},              // non-hex characters count as 0
        {"4g41", L"A@"},             // 'g' counts as 0: 0x40
        {"20202041", L"A"},          // spaces dropped
        {"0000", L""},               // zero bytes dropped
        {"ff41", W({0x41, 0xFFFF})}, // sign extension
        {"80C3", W({0xFFC3, 0xFF80})},
    };
    for (const HexCase& c : cases)
        EXPECT_EQ(DecodeHexSerial(c.text, std::strlen(c.text) + 1), c.expected) << c.text;
}

TEST(DecodeHexSerial, StopsAtTheByteLimitWithoutTerminator) {
    const char text[4] = {'3', '9', '5', '7'}; // no terminator at all
    EXPECT_EQ(DecodeHexSerial(text, sizeof text), L"W9");
    EXPECT_EQ(DecodeHexSerial(text, 2), L"9");
    EXPECT_EQ(DecodeHexSerial(text, 0), L"");
    EXPECT_EQ(DecodeHexSerial(nullptr, 10), L"");
}

// A STORAGE_DEVICE_DESCRIPTOR image: the serial offset at byte 24.
std::vector<unsigned char> Descriptor(size_t size, uint32_t serialOffset, const char* serial) {
    std::vector<unsigned char> d(size, 0);
    for (int i = 0; i < 4; ++i)
        d[24 + i] = static_cast<unsigned char>(serialOffset >> (8 * i));
    if (serial)
        std::memcpy(d.data() + serialOffset, serial, std::min(std::strlen(serial), size - serialOffset));
    return d;
}

TEST(SerialFromStorageDescriptor, ReadsTheSerialAtItsOffset) {
    auto d = Descriptor(64, 40, "3957");
    EXPECT_EQ(SerialFromStorageDescriptor(d.data(), d.size()), L"W9");
    // An offset past 255 is read in all its bytes (little-endian).
    auto wide = Descriptor(300, 0x104, "3957");
    EXPECT_EQ(SerialFromStorageDescriptor(wide.data(), wide.size()), L"W9");
    // Just long enough to hold the offset field (27 bytes is not, below).
    auto smallest = Descriptor(28, 8, "3957");
    EXPECT_EQ(SerialFromStorageDescriptor(smallest.data(), smallest.size()), L"W9");
}

TEST(SerialFromStorageDescriptor, BadOffsetsGiveNothing) {
    auto none = Descriptor(64, 0, nullptr);
    EXPECT_EQ(SerialFromStorageDescriptor(none.data(), none.size()), L"");
    // Offset at and past what was returned: nothing is read there.
    auto d = Descriptor(64, 40, "3957");
    EXPECT_EQ(SerialFromStorageDescriptor(d.data(), 40), L"");
    auto far = Descriptor(64, 0, nullptr);
    far[24] = 0xFF;
    far[25] = 0xFF;
    far[26] = 0xFF;
    far[27] = 0x7F;
    EXPECT_EQ(SerialFromStorageDescriptor(far.data(), far.size()), L"");
    // Too short to hold the offset field.
    EXPECT_EQ(SerialFromStorageDescriptor(d.data(), 27), L"");
    EXPECT_EQ(SerialFromStorageDescriptor(nullptr, 64), L"");
}

TEST(SerialFromStorageDescriptor, UnterminatedSerialStopsAtTheReturnedBytes) {
    // The serial runs to the very end of the returned data (sanitizers see any over-read).
    auto d = Descriptor(44, 40, "3957");
    EXPECT_EQ(SerialFromStorageDescriptor(d.data(), d.size()), L"W9");
    EXPECT_EQ(SerialFromStorageDescriptor(d.data(), 42), L"9");
}

TEST(SerialFromMediaSerialData, KeepsEveryFourthByteThatIsNoSpace) {
    std::vector<unsigned char> data(16, 0);
    const char text[] = "A...B... ...C";
    data.insert(data.end(), text, text + sizeof text); // with its terminator
    EXPECT_EQ(SerialFromMediaSerialData(data.data(), data.size()), L"ABC");
    // Cut before the terminator: still only what was returned.
    EXPECT_EQ(SerialFromMediaSerialData(data.data(), 16 + 5), L"AB");
    EXPECT_EQ(SerialFromMediaSerialData(data.data(), 16), L"");
    EXPECT_EQ(SerialFromMediaSerialData(nullptr, 100), L"");
}

TEST(StartsWithAsciiAlnum, Cases) {
    EXPECT_TRUE(StartsWithAsciiAlnum(L"W9"));
    EXPECT_TRUE(StartsWithAsciiAlnum(L"0"));
    EXPECT_TRUE(StartsWithAsciiAlnum(L"z-"));
    EXPECT_FALSE(StartsWithAsciiAlnum(L""));
    EXPECT_FALSE(StartsWithAsciiAlnum(L"-W9"));
    EXPECT_FALSE(StartsWithAsciiAlnum(W({0xFFC3, 0x41})));
    EXPECT_FALSE(StartsWithAsciiAlnum(W({0xC4})));
}

TEST(FixedWidthTexts, CpuAndMac) {
    EXPECT_EQ(FormatCpuIdString(0x000306C3, 0x00100800, 0x7FFAFBBF, 0xBFEBFBFF),
              L"000306C3-00100800-7FFAFBBF-BFEBFBFF");
    EXPECT_EQ(FormatCpuIdString(0, 0, 0, 0).size(), 35u);
    const unsigned char mac[6] = {0x00, 0x1a, 0x2B, 0xff, 0x0c, 0x09};
    EXPECT_EQ(FormatMacText(mac), L"001A2BFF0C09");
}

} // namespace
