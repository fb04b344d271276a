#include "net/TargetPath.h"

#include "app/base/TextUtils.h"
#include "net/UrlFileName.h"

std::wstring ResolveTargetPath(const std::wstring& target, const std::wstring& url, bool nameFromUrl,
                               bool guidPrefix, const std::function<std::wstring()>& newGuid) {
    if (!nameFromUrl && !guidPrefix)
        return target;
    const std::wstring name = UrlFileName(url);
    if (!IsAcceptedFileName(name))
        return std::wstring();
    if (nameFromUrl)
        return EnsureTrailingBackslash(target) + name;
    return EnsureTrailingBackslash(target) + newGuid() + L"_" + name;
}
