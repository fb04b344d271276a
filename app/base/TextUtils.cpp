#include "app/base/TextUtils.h"

#include <cwchar>
#include <sstream>

std::wstring EnsureTrailingBackslash(const std::wstring& path) {
    if (path.empty() || path.back() == L'\\')
        return path;
    return path + L'\\';
}

std::wstring RemoveAll(std::wstring text, const wchar_t* part) {
    if (!part || !*part)
        return text;
    const size_t len = wcslen(part);
    for (size_t pos = text.find(part); pos != std::wstring::npos; pos = text.find(part, pos))
        text.erase(pos, len);
    return text;
}

std::vector<std::wstring> SplitString(const wchar_t* separator, const std::wstring& text) {
    std::vector<std::wstring> pieces;
    if (text.empty())
        return pieces;
    if (!separator || !*separator) {
        pieces.push_back(text);
        return pieces;
    }
    const size_t sepLen = wcslen(separator);
    size_t start = 0;
    for (size_t hit = text.find(separator); hit != std::wstring::npos; hit = text.find(separator, start)) {
        pieces.push_back(text.substr(start, hit - start));
        start = hit + sepLen;
    }
    if (start < text.size())
        pieces.push_back(text.substr(start));
    return pieces;
}

int StrToInt(const wchar_t* text) {
    if (!text)
        return 0;
    std::wistringstream in(text);
    int value = 0;
    in >> value; // on overflow the stream stores the nearest limit
    return value;
}

namespace {
const wchar_t kLowerHex[] = L"0123456789abcdef";
const wchar_t kUpperHex[] = L"0123456789ABCDEF";

void AppendHex(std::wstring& out, unsigned long long value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kUpperHex[(value >> shift) & 0xF];
}

} // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::wstring HexString16(const unsigned char (&bytes)[16]) {
    std::wstring out;
    out.reserve(32);
    for (unsigned char b : bytes) {
        out += kLowerHex[b >> 4];
        out += kLowerHex[b & 0xF];
    }
    return out;
}

std::wstring FormatGuidText(uint32_t data1, uint16_t data2, uint16_t data3, const unsigned char (&data4)[8]) {
    std::wstring out;
    out.reserve(36);
    AppendHex(out, data1, 8);
    out += L'-';
    AppendHex(out, data2, 4);
    out += L'-';
    AppendHex(out, data3, 4);
    out += L'-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            out += L'-';
        AppendHex(out, data4[i], 2);
    }
    return out;
}

std::string UrlEncode(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() * 3);
    for (unsigned char c : text) {
        const bool keep = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          c == '~' || c == '!' || c == '*' || c == '(' || c == ')' || c == '\'';
        if (keep) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

std::string UrlDecode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
                   HexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring GetUrlParam(const wchar_t* key, const std::wstring& url) {
    if (!key)
        return std::wstring();
    const std::wstring needle = std::wstring(key) + L"=";
    // A whole key only: "forward=" must not match the end of "notforward=".
    size_t hit = url.find(needle);
    while (hit != std::wstring::npos && (hit == 0 || (url[hit - 1] != L'?' && url[hit - 1] != L'&')))
        hit = url.find(needle, hit + 1);
    if (hit == std::wstring::npos)
        return std::wstring();
    const size_t start = hit + needle.size();
    const size_t end = url.find(L'&', start);
    return url.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}
