#include "net/InstallValues.h"

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool IsHexDigit(wchar_t c) {
    return IsDigit(c) || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
}

} // namespace

bool IsWellFormedGuid(const std::wstring& guid) {
    if (guid.size() != 32)
        return false;
    for (wchar_t c : guid)
        if (!IsHexDigit(c))
            return false;
    return true;
}

bool IsWellFormedInstallTime(const std::wstring& time) {
    static const wchar_t kShape[] = L"dddd-dd-dd dd:dd:dd";
    if (time.size() != sizeof kShape / sizeof kShape[0] - 1)
        return false;
    for (size_t i = 0; i < time.size(); ++i) {
        if (kShape[i] == L'd' ? !IsDigit(time[i]) : time[i] != kShape[i])
            return false;
    }
    return true;
}
