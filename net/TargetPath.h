// Where a download task saves its body.
#pragma once

#include <functional>
#include <string>

// With neither name flag the target is the file itself. With nameFromUrl it is a
// folder and the file is named UrlFileName(url); with guidPrefix (and not
// nameFromUrl) the name is newGuid() + "_" + UrlFileName(url). newGuid is called
// only in that last case, so each call derives at most one GUID. Empty, with no
// GUID derived, when a name flag is set and the URL's name is not accepted
// (IsAcceptedFileName): such a task writes nothing.
std::wstring ResolveTargetPath(const std::wstring& target, const std::wstring& url, bool nameFromUrl,
                               bool guidPrefix, const std::function<std::wstring()>& newGuid);
