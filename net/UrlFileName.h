// The file name a download takes from its URL, and which names it may take.
#pragma once

#include <string>

// The text after the last "/" of the URL, query included ("a/b.ini?x=1" gives
// "b.ini?x=1"); empty when the URL holds no "/".
std::wstring UrlFileName(const std::wstring& url);

// Whether a name from a URL may name a file in the download folder: not empty, no
// \ / : * ? " < > | (a path, a drive, a stream, a pattern or a query), no ".." and
// no control character. Anything else could climb out of the folder or name
// something other than a plain file in it.
bool IsAcceptedFileName(const std::wstring& name);
