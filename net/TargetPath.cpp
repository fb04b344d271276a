#include "net/TargetPath.h"

#include "app/base/TextUtils.h"
#include "net/UrlFileName.h"

std::wstring ResolveTargetPath(const std::wstring& target, const std::wstring& url, bool nameFromUrl,
                               bool guidPrefix, const std::function<std::wstring()>& newGuid) {
    if (nameFromUrl)
        return EnsureTrailingBackslash(target) + UrlFileName(url);
    if (guidPrefix)
        return EnsureTrailingBackslash(target) + newGuid() + L"_" + UrlFileName(url);
    return target;
}
