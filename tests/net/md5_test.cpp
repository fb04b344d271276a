// MD5 against the test suite of RFC 1321 (appendix A.5) and a long input fed in
// awkward pieces, which exercises the block buffering.
#include "net/Md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

struct Vector {
    const char* text;
    const wchar_t* hex;
};

const Vector kRfc1321[] = {
    {"", L"d41d8cd98f00b204e9800998ecf8427e"},
    {"a", L"0cc175b9c0f1b6a831c399e269772661"},
    {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", L"d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     L"57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, Rfc1321TestSuite) {
    for (const Vector& v : kRfc1321)
        EXPECT_EQ(Md5Hex(v.text), v.hex) << "input \"" << v.text << "\"";
}

TEST(Md5, MillionAsInUnevenPieces) {
    const std::string million(1000000, 'a');
    EXPECT_EQ(Md5Hex(million), L"7707d6ae4e027c70eea2a935c2296f21");

    // Pieces that cross block boundaries at every offset.
    CMd5 md5;
    size_t fed = 0, piece = 1;
    while (fed < million.size()) {
        size_t n = std::min(piece, million.size() - fed);
        md5.Update(million.data() + fed, n);
        fed += n;
        piece = piece % 131 + 1;
    }
    unsigned char digest[16];
    md5.Final(digest);
    unsigned char oneShot[16];
    CMd5::Digest(million, oneShot);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(digest), 16),
              std::string(reinterpret_cast<char*>(oneShot), 16));
}

TEST(Md5, PaddingEdgesAroundOneBlock) {
    // From 56 bytes on, the length field no longer fits the last block. Values
    // from an independent implementation; each is also fed in two pieces.
    const struct {
        size_t length;
        const wchar_t* hex;
    } cases[] = {
        {55, L"04364420e25c512fd958a70738aa8f72"}, {56, L"668a72d5ba17f08e62dabcafad6db14b"},
        {57, L"693037871c4a9d3d8685018905cb530a"}, {63, L"7dc2ca208106a2f703567bdff99d8981"},
        {64, L"c1bb4f81d892b2d57947682aeb252456"}, {65, L"1bc932052302d074bdec39795fe00cf6"},
    };
    for (const auto& c : cases) {
        const std::string text(c.length, 'x');
        EXPECT_EQ(Md5Hex(text), c.hex) << c.length;
        CMd5 md5;
        md5.Update(text.data(), 1);
        md5.Update(text.data() + 1, c.length - 1);
        unsigned char a[16], b[16];
        md5.Final(a);
        CMd5::Digest(text, b);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(a), 16), std::string(reinterpret_cast<char*>(b), 16))
            << c.length;
    }
}

TEST(Md5, BytesAboveSevenBitAndEmbeddedZero) {
    // The ids hash ANSI bytes; high bytes and a zero byte must count like any other.
    EXPECT_EQ(Md5Hex(std::string("\xe4", 1)), L"c15bcc5577f9fade4b4a3256190a59b0");
    EXPECT_EQ(Md5Hex(std::string("\0", 1)), L"93b885adfe0da089cdf634904fd59f71");
}

TEST(Md5, ResetStartsOver) {
    CMd5 md5;
    md5.Update("garbage", 7);
    md5.Reset();
    md5.Update("abc", 3);
    unsigned char digest[16];
    md5.Final(digest);
    unsigned char expected[16];
    CMd5::Digest("abc", expected);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(digest), 16),
              std::string(reinterpret_cast<char*>(expected), 16));
}

} // namespace
