#include "browser/windows/GameRules.h"

std::wstring AutoRunValueData(const wchar_t* path, unsigned copied, unsigned capacity) {
    if (!path || copied == 0 || copied >= capacity)
        return std::wstring();
    return L"\"" + std::wstring(path, copied) + L"\" /autorun";
}
