// The two machine ids of the statistics: MD5 hex texts (32 lower-case digits)
// over the ANSI form of what the machine tells about itself.
#pragma once

#include <string>

// MD5 of processor signature + first disk serial + MAC text, each left out when
// it cannot be read (all missing: the MD5 of an empty text).
std::wstring MakeHardwareId();

// MD5 of the MAC text alone (of an empty text when there is no adapter).
std::wstring MakeMacId();

// MD5 hex of the ANSI code page form of a text.
std::wstring Md5HexOfAnsi(const std::wstring& text);
