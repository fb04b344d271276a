// What counts as a usable installation GUID and install time when they are read
// back from the settings file. Both go into the beacon queries unencoded, so a
// damaged or hand-edited value is replaced rather than sent.
#pragma once

#include <string>

// 32 hexadecimal digits, nothing else (upper case as written, either case read).
bool IsWellFormedGuid(const std::wstring& guid);

// "YYYY-MM-DD HH:MM:SS": digits where digits belong, the separators in place.
bool IsWellFormedInstallTime(const std::wstring& time);
