// Reading and starting a downloaded upgrader that has passed its checks.
#pragma once

#include "app/DottedVersion.h"
#include "app/base/Handles.h"

#include <windows.h>

#include <optional>
#include <string>

// The file version of the program's version resource (VS_FIXEDFILEINFO); none
// when it has no such resource. The path names the held upgrader: nothing can
// replace it while it is held, so this reads the file that was checked.
std::optional<DottedVersion> ReadFileVersion(const std::wstring& path);

// Copies the held file's bytes into a new folder under the Windows temp folder
// that only Administrators and SYSTEM can write (everyone else may read and run),
// made afresh for this copy, and holds the copy open read-only, sharing reading
// only. False, with nothing left behind, when any step fails.
bool CopyToAdminFolder(HANDLE held, std::wstring& copyPath, ScopedHandle& copyHeld);

// In an elevated process: the path as the application, " /S /KOUPGRADE" as the
// whole command line, hidden.
bool CreateUpgraderProcess(const std::wstring& path);

// Not elevated: the "runas" verb asks the user for elevation; a refusal fails.
// Returns once the process exists, so the held file is not let go before.
bool ShellExecuteUpgraderElevated(const std::wstring& path);
