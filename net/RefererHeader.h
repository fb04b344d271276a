// The Referer header a GET carries after a page was opened in the platform browser.
#pragma once

#include <string>

// "Referer: " + url + "\r\n", or empty when the URL cannot go into a header: an
// empty URL, or one holding a control character (a CR or LF in it would end the
// header early and let the page address inject headers of its own).
std::wstring RefererHeader(const std::wstring& url);
