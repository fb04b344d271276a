// Opening pages outside the launcher's own windows.
#pragma once

#include <string>

// The platform browser's executable: its install folder from the registry followed
// by the suffix; empty when it is not installed (or the value is unusable).
std::wstring GetPlatformBrowserPath(const std::wstring& suffix);

// ShellExecuteW with no owner and no verb, the file and its parameters, SW_SHOWNORMAL.
void RunProgram(const std::wstring& file, const std::wstring& parameters);
