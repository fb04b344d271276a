// The fixed buffers a request URL is split into, and the bounds check that keeps an
// overlong part from overflowing them: such a URL fails its attempt instead.
#pragma once

#include <cstddef>

// Buffer sizes in characters, terminator included.
constexpr size_t kHostNameChars = 1024;
constexpr size_t kUserNameChars = 256;
constexpr size_t kPasswordChars = 256;
constexpr size_t kUrlPathChars = 1024; // path with query

// One part of a URL as the splitter points at it: not terminated; text may be null
// when the part is absent (length 0 then).
struct UrlPartView {
    const wchar_t* text = nullptr;
    size_t length = 0;
};

struct CrackedUrlView {
    UrlPartView hostName;
    UrlPartView userName;
    UrlPartView password;
    UrlPartView urlPath;
};

struct UrlPartBuffers {
    wchar_t hostName[kHostNameChars];
    wchar_t userName[kUserNameChars];
    wchar_t password[kPasswordChars];
    wchar_t urlPath[kUrlPathChars];
};

// Copies the part and its terminator into a buffer of capacity characters. False,
// with the buffer set to "" (when it has room for that), when the part does not fit.
bool CopyUrlPart(const UrlPartView& part, wchar_t* buffer, size_t capacity);

// Copies every part; false when any one does not fit its buffer.
bool FillUrlParts(const CrackedUrlView& view, UrlPartBuffers& out);
