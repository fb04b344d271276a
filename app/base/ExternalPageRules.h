// Decisions of the external-page opening that need no Windows API: which URLs may
// be opened at all, where the platform browser is registered, which registry data
// counts as its folder, and how a URL is put on a browser's command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct RegistryLocation {
    const wchar_t* keyPath;
    uint32_t access; // REGSAM
};

// 32-bit Windows: "SOFTWARE\OrvoExplorer" with KEY_READ | KEY_WOW64_32KEY;
// 64-bit Windows: "SOFTWARE\Wow6432Node\OrvoExplorer" with KEY_READ | KEY_WOW64_64KEY.
RegistryLocation PlatformBrowserLocation(int osBits);

// The "Path" value as returned by RegQueryValueExW: data of the given type and byte
// size. A string type (REG_SZ 1, REG_EXPAND_SZ 2, taken as it is) that ends with
// its terminator within the returned bytes gives its text; anything else (no
// terminator, an odd size, another type, an empty text) gives an empty result.
std::wstring RegistryFolderText(const wchar_t* data, size_t byteSize, uint32_t type);

// A path as a registry value may give it: one pair of surrounding quotation marks
// (and blanks outside them) removed.
std::wstring UnquotedPath(const std::wstring& text);

// A full path: "X:\..." or a UNC "\\server\...". Anything else would be looked for
// in the current folder and the search path.
bool PathIsAbsolute(const std::wstring& path);

// The URL as one command-line argument for a browser: unchanged unless it holds
// blanks or quotation marks, which would split it or end it early and let the
// rest pass as further options; those become %20, %09, %0A, %0D and %22.
std::wstring UrlAsSingleArgument(const std::wstring& url);

// True for a web address: "http://" or "https://" (scheme in any case) and at
// least one character more. Everything else a page may hand over (file:, UNC and
// local paths, javascript:, mailto: and other protocols, text with leading
// blanks) would have a browser or the shell open a file or start a program.
bool IsWebAddress(const std::wstring& url);
