// Text helpers shared by the whole launcher that need no Windows API: paths,
// splitting, numbers, hex digits, URL encoding and query parameters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Appends "\" unless the path is empty or already ends with one.
std::wstring EnsureTrailingBackslash(const std::wstring& path);

// Removes every occurrence of part (searching again from where a hit was removed).
// RemoveAll(L"3.0.1.0", L".") is L"3010". A null or empty part changes nothing.
std::wstring RemoveAll(std::wstring text, const wchar_t* part);

// Every separator closes a piece, so adjacent separators give an empty piece; what
// follows the last separator is a piece only when it is not empty.
std::vector<std::wstring> SplitString(const wchar_t* separator, const std::wstring& text);

// One decimal integer as a stream reads it: leading white space, optional sign,
// digits up to the first non-digit. 0 when no number can be read (or text is null).
int StrToInt(const wchar_t* text);
inline int StrToInt(const std::wstring& text) {
    return StrToInt(text.c_str());
}

// The value of one hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char c);

// The 16 bytes as 32 lower-case hexadecimal digits, high half first.
std::wstring HexString16(const unsigned char (&bytes)[16]);

// "%.8X-%.4X-%.4X-%.2X%.2X-%.2X%.2X%.2X%.2X%.2X%.2X": 36 upper-case characters.
std::wstring FormatGuidText(uint32_t data1, uint16_t data2, uint16_t data3, const unsigned char (&data4)[8]);

// Byte-wise percent-encoding: letters, digits and ~!*()' stay, every other byte
// becomes "%" and two lower-case hex digits (a space is %20, 0xE4 is %e4).
std::string UrlEncode(const std::string& text);

// "+" becomes a space, "%" with two hex digits (either case) the byte they give;
// a "%" without two hex digits after it is copied as it is.
std::string UrlDecode(const std::string& text);

// The text after the first key + "=" that follows a "?" or "&" (a whole key, not
// the end of a longer one) up to the next "&" or the end; empty when there is none.
std::wstring GetUrlParam(const wchar_t* key, const std::wstring& url);

// Substring tests used for switches and marker URLs: case-sensitive, anywhere.
inline bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}
