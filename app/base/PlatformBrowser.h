// Opening pages outside the launcher's own windows: in the platform's own
// browser when it is installed, else in Internet Explorer, else with the
// system's default handler. CGlobalModule::GetPayUrl and OpenUrlInBrowser
// (app/ExternalPages.cpp) build on these two, which need nothing of the module.
#pragma once

#include <string>

// The platform browser's executable: its install folder from the registry followed
// by the suffix; empty when it is not installed (or the value is unusable: not a
// string, not terminated, empty, or longer than 129 characters).
std::wstring GetPlatformBrowserPath(const std::wstring& suffix);

// ShellExecuteW with no owner and no verb, the file and its parameters, SW_SHOWNORMAL.
void RunProgram(const std::wstring& file, const std::wstring& parameters);
