// The game window's decisions that need no Windows API: the marker that sends the
// player back to the login window, and the start-at-logon value.
#pragma once

#include <string>

// "wd_returnlogin=1" anywhere in the URL (case-sensitive).
bool IsReturnToLoginUrl(const std::wstring& url);

// The data of the Run value for the module path that GetModuleFileNameW copied
// (`copied` characters into a buffer of `capacity`): the quoted path, one space and
// "/autorun". Empty when there is no path or it filled the buffer, which means it
// was cut: a cut path would start nothing at logon.
std::wstring AutoRunValueData(const wchar_t* path, unsigned copied, unsigned capacity);
