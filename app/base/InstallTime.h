// The installation's install time, [Install] "InstallTime" of the settings file.
#pragma once

#include <string>

// The stored install time as it stands; when none is stored, the current local
// time as "%Y-%m-%d %H:%M:%S", written once and returned. The one writer of the
// key: the login URL and the install record both take it from here.
std::wstring StoredInstallTime();
