// The file name a download takes from its URL.
#pragma once

#include <string>

// The text after the last "/" of the URL, query included ("a/b.ini?x=1" gives
// "b.ini?x=1"); empty when the URL holds no "/".
std::wstring UrlFileName(const std::wstring& url);
