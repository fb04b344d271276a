#include "app/SignerPin.h"

namespace {
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}
} // namespace

bool IsPinnedSigner(const std::wstring& signerName, const std::wstring& pinnedNames) {
    if (signerName.empty())
        return false;
    size_t begin = 0;
    while (begin <= pinnedNames.size()) {
        size_t end = pinnedNames.find(L';', begin);
        if (end == std::wstring::npos)
            end = pinnedNames.size();
        size_t first = begin, last = end;
        while (first < last && IsBlank(pinnedNames[first]))
            ++first;
        while (last > first && IsBlank(pinnedNames[last - 1]))
            --last;
        if (last > first && pinnedNames.compare(first, last - first, signerName) == 0)
            return true;
        begin = end + 1;
    }
    return false;
}
