#include "app/SignerPin.h"

#include <cwctype>
#include <functional>

namespace {
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Calls match with each non-empty item of a ";" list, blanks trimmed, until it
// returns true; false when none did.
bool AnyItem(const std::wstring& list, const std::function<bool(const std::wstring&)>& match) {
    size_t begin = 0;
    while (begin <= list.size()) {
        size_t end = list.find(L';', begin);
        if (end == std::wstring::npos)
            end = list.size();
        size_t first = begin, last = end;
        while (first < last && IsBlank(list[first]))
            ++first;
        while (last > first && IsBlank(list[last - 1]))
            --last;
        if (last > first && match(list.substr(first, last - first)))
            return true;
        begin = end + 1;
    }
    return false;
}

bool SameHex(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!std::iswxdigit(a[i]) || std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    }
    return true;
}
} // namespace

bool IsPinnedSigner(const std::wstring& signerName, const std::wstring& pinnedNames) {
    if (signerName.empty() || signerName.find(L'\0') != std::wstring::npos)
        return false;
    return AnyItem(pinnedNames, [&](const std::wstring& item) { return item == signerName; });
}

bool IsPinnedKey(const std::wstring& keyDigest, const std::wstring& pinnedKeys) {
    const bool anyPinned = AnyItem(pinnedKeys, [](const std::wstring&) { return true; });
    if (!anyPinned)
        return true;
    if (keyDigest.size() != 64)
        return false;
    return AnyItem(pinnedKeys, [&](const std::wstring& item) { return SameHex(item, keyDigest); });
}

bool IsAcceptedSigner(const SignerFacts& signer, const std::wstring& pinnedNames,
                      const std::wstring& pinnedKeys) {
    return signer.codeSigning && IsPinnedSigner(signer.commonName, pinnedNames) &&
           IsPinnedKey(signer.keyDigest, pinnedKeys);
}
