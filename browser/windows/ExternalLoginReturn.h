// What the external-account login window reads from the URLs its provider's page
// navigates to: the return address on the platform's game host, whose query key
// "forward" carries the address at which the platform login continues, and the
// marker that ends the window. The return address counts only as an http or
// https URL on the game host, and its forward address is followed only when it is
// an http or https URL on a platform host: the login browser never opens a file,
// a share or a script a page put there.
#pragma once

#include "browser/windows/PageMarkers.h"

#include <functional>
#include <string>

// Conversions through the system's ANSI code page, supplied by the caller.
struct AnsiCodec {
    std::function<std::string(const std::wstring&)> toNarrow;
    std::function<std::wstring(const std::string&)> toWide;
};

struct ExternalLoginStep {
    bool continueLogin = false; // send the login window's browser to `forward`
    std::wstring forward;       // the decoded address (empty when the key is missing)
    bool close = false;         // this window's work is done
};

// For a URL about to open in the external-login browser (topLevel: not in a
// frame). The return address is the game host with a path beginning
// "/server/wan/?"; its "forward" value (the whole key, up to the next "&") is
// percent-decoded on its ANSI form, "+" giving a space, and turned back into
// text; the window closes whether or not that address may be followed.
// "wd_returnlogin=1" closes the window without continuing (IsReturnToLoginUrl).
ExternalLoginStep DecideExternalLoginStep(const std::wstring& url, bool topLevel, const PlatformHosts& hosts,
                                          const AnsiCodec& codec);
