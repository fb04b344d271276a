// The game window's decision that needs no Windows API: the start-at-logon value.
// (The marker that sends the player back to the login window is in PageMarkers.h.)
#pragma once

#include <string>

// The data of the Run value for the module path that GetModuleFileNameW copied
// (`copied` characters into a buffer of `capacity`): the quoted path, one space and
// "/autorun". Empty when there is no path or it filled the buffer, which means it
// was cut: a cut path would start nothing at logon.
std::wstring AutoRunValueData(const wchar_t* path, unsigned copied, unsigned capacity);
