#include "tests/support/SimLog.h"

#include "app/base/TextUtils.h"

#include <cstdlib>
#include <locale>
#include <sstream>

namespace simlog {
namespace {

// Decodes one UTF-8 sequence at text[i]; returns its length, 0 when it is invalid.
size_t DecodeUtf8(const std::string& text, size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    size_t len;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + len > text.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

void AppendCodePoint(std::wstring& out, char32_t cp) {
    if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

bool ParseInt(const std::string& s, long long& value) {
    if (s.empty())
        return false;
    char* end = nullptr;
    value = std::strtoll(s.c_str(), &end, 10);
    return end && *end == '\0';
}

bool ParseDouble(const std::string& s, double& value) {
    std::istringstream in(s);
    in.imbue(std::locale::classic());
    in >> value;
    return !in.fail() && in.peek() == std::char_traits<char>::eof();
}

bool ParseHex(const std::string& s, std::string& out) {
    if (s.size() % 2)
        return false;
    out.clear();
    for (size_t i = 0; i < s.size(); i += 2) {
        const int hi = HexDigitValue(s[i]), lo = HexDigitValue(s[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

bool ParseLine(const std::string& line, SimRequest& r) {
    const std::vector<std::string> f = SplitTabs(line);
    long long seq = 0, port = 0, bodyLength = 0, count = 0;
    if (f.size() < 9 || !ParseInt(f[0], seq) || !ParseDouble(f[1], r.time) || !ParseInt(f[3], port) ||
        !ParseInt(f[6], bodyLength) || !ParseInt(f[8], count) || count < 0 ||
        f.size() < 9 + 2 * static_cast<size_t>(count))
        return false;
    // A request that came over TLS carries one more field.
    const size_t fixed = 9 + 2 * static_cast<size_t>(count);
    r.secure = f.size() == fixed + 1 && f[fixed] == "https";
    if (f.size() != fixed + (r.secure ? 1 : 0))
        return false;
    std::string host, method;
    if (!Unescape(f[2], host) || !Unescape(f[4], method) || !Unescape(f[5], r.rawPath) ||
        !ParseHex(f[7], r.body) || r.body.size() != static_cast<size_t>(bodyLength))
        return false;
    r.seq = static_cast<int>(seq);
    r.port = static_cast<int>(port);
    r.host = BytesToWide(host);
    r.method = BytesToWide(method);
    r.path = BytesToWide(r.rawPath);
    r.headers.clear();
    for (long long i = 0; i < count; ++i) {
        std::string name, value;
        if (!Unescape(f[9 + 2 * i], name) || !Unescape(f[10 + 2 * i], value))
            return false;
        r.headers.emplace_back(BytesToWide(name), BytesToWide(value));
    }
    return true;
}

wchar_t AsciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

} // namespace

bool Unescape(const std::string& field, std::string& out) {
    out.clear();
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size())
            return false;
        const int hi = HexDigitValue(field[i + 1]), lo = HexDigitValue(field[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

std::wstring BytesToWide(const std::string& bytes) {
    std::wstring out;
    char32_t cp = 0;
    for (size_t i = 0; i < bytes.size();) {
        const size_t len = DecodeUtf8(bytes, i, cp);
        if (len == 0) {
            out.clear();
            for (unsigned char b : bytes)
                out += static_cast<wchar_t>(b);
            return out;
        }
        AppendCodePoint(out, cp);
        i += len;
    }
    return out;
}

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            ++i;
        } else if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string PercentEncode(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' ||
            b == '_' || b == '.' || b == '~') {
            out += static_cast<char>(b);
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

} // namespace simlog

std::wstring SimRequest::Header(const std::wstring& name) const {
    for (const auto& h : headers) {
        if (simlog::EqualsIgnoringAsciiCase(h.first, name))
            return h.second;
    }
    return std::wstring();
}

bool SimRequest::HasHeader(const std::wstring& name) const {
    for (const auto& h : headers) {
        if (simlog::EqualsIgnoringAsciiCase(h.first, name))
            return true;
    }
    return false;
}

bool ParseSimLogTsv(const std::string& text, std::vector<SimRequest>& out) {
    out.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        SimRequest r;
        if (!simlog::ParseLine(line, r))
            return false;
        out.push_back(std::move(r));
    }
    return true;
}
