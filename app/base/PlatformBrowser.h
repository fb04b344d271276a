// Opening pages outside the launcher's own windows: in the platform's own
// browser when it is installed, else in Internet Explorer, else with the
// system's default handler. The application's external pages
// (app/ExternalPages.cpp) build on these two, which need nothing of the module.
#pragma once

#include <string>

// The platform browser's executable: its install folder from the registry followed
// by the suffix; empty when it is not installed (or the value is unusable: not a
// string, not terminated, empty, or longer than 129 characters).
std::wstring GetPlatformBrowserPath(const std::wstring& suffix);

// Internet Explorer's executable as the registry's App Paths name it (the default
// value of HKLM\...\App Paths\IEXPLORE.EXE, quotes removed, variables expanded);
// empty when it is not registered or the file is not there. Started by this path,
// never by its bare name, which the shell would look for in the current folder first.
std::wstring GetInternetExplorerPath();

// ShellExecuteW with no owner and no verb, the file and its parameters, SW_SHOWNORMAL.
void RunProgram(const std::wstring& file, const std::wstring& parameters);
