// What the external-account login window reads from the URLs its provider's page
// navigates to: the return address on the platform's game host, whose query key
// "forward" carries the address at which the platform login continues, and the
// marker that ends the window. Substring tests, case-sensitive, anywhere in the URL.
#pragma once

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

// For a URL about to open in the external-login browser. The return address is
// "//" + gameHost + "/server/wan/?"; its "forward" value (up to the next "&") is
// percent-decoded on its ANSI form, "+" giving a space, and turned back into text.
// "wd_returnlogin=1" closes the window without continuing.
ExternalLoginStep DecideExternalLoginStep(const std::wstring& url, const std::wstring& gameHost,
                                          const AnsiCodec& codec);
