// Whether the machine runs net-café management, menu or game-update software,
// judged by the registry keys and processes those products leave behind.
#pragma once

// The code of the first product found, in the order of the built-in list; -1 when
// none is. Each process row takes a fresh process snapshot.
int DetectNetCafe();

// True when the key opens under HKEY_LOCAL_MACHINE with KEY_QUERY_VALUE (in this
// process's own registry view). A path the registry refuses counts as absent.
bool RegistryKeyExists(const wchar_t* keyPath);

// True when a running process has exactly this executable name (case-sensitive).
bool IsProcessRunning(const wchar_t* exeName);
