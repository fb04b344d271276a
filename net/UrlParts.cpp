#include "net/UrlParts.h"

#include <cwchar>

bool CopyUrlPart(const UrlPartView& part, wchar_t* buffer, size_t capacity) {
    if (!buffer || capacity == 0)
        return false;
    buffer[0] = L'\0';
    if (part.length >= capacity || (part.length > 0 && !part.text))
        return false;
    if (part.length > 0)
        wmemcpy(buffer, part.text, part.length);
    buffer[part.length] = L'\0';
    return true;
}

bool FillUrlParts(const CrackedUrlView& view, UrlPartBuffers& out) {
    // Every part is copied (or emptied) so no buffer is left uninitialised.
    bool ok = CopyUrlPart(view.hostName, out.hostName, kHostNameChars);
    ok = CopyUrlPart(view.userName, out.userName, kUserNameChars) && ok;
    ok = CopyUrlPart(view.password, out.password, kPasswordChars) && ok;
    ok = CopyUrlPart(view.urlPath, out.urlPath, kUrlPathChars) && ok;
    return ok;
}
