// Starting the launcher (or a probe built from its parts) as a child process of a
// test, with a bounded wait, and looking at the windows it shows.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testing_support {

// A Windows path for a file of the build tree (the tests know it as a Unix path).
std::wstring BuildPath(const char* relativeUnixPath);
// The folder of the running test program, with a trailing backslash.
std::wstring OwnFolder();

struct ChildResult {
    bool started = false;
    bool exited = false; // within the time limit; otherwise the child was killed
    DWORD exitCode = 0;
    bool sawVisibleWindow = false; // a visible top-level window of the child, while it ran
};

// Runs "exe" args, polling its top-level windows until it exits or the limit passes.
// onWindows, when given, is called on every poll with the child's visible windows and
// may return true to stop watching (the child is then waited for without polling).
using WindowProbe = bool (*)(const std::vector<HWND>& visible, void* context);
ChildResult RunChild(const std::wstring& exe, const std::wstring& args, DWORD limitMs,
                     WindowProbe onWindows = nullptr, void* context = nullptr);

// From now on RunChild (and RunProbe) start their children with the limited token
// linked to this process's elevated one, as Windows starts an administrator's
// programs: Wine 8 runs every program elevated, so tests of what only a run that
// is not elevated does (the settings' URL overrides, the icon animation) ask for
// it. No effect in a process that is not elevated.
void StartChildrenAsStandardUser(bool standardUser);
bool StartsChildrenAsStandardUser();

std::vector<HWND> VisibleTopLevelWindows(DWORD processId);

// "key=value" lines of a UTF-8 file.
std::map<std::string, std::wstring> ReadKeyValueFile(const std::wstring& path);

// Runs a probe program: the path of a fresh results file goes first on its command
// line, then args. Gives the child's result and the file's "key=value" lines; the
// file is removed afterwards.
struct ProbeRun {
    ChildResult child;
    std::map<std::string, std::wstring> values;
};
ProbeRun RunProbe(const std::wstring& exe, const std::wstring& args, DWORD limitMs,
                  WindowProbe onWindows = nullptr, void* context = nullptr);

// Removes a folder with everything in it.
void RemoveTree(const std::wstring& dir);

// The settings folder of this prefix's user (Roaming\Orvo游戏\tavro\), not created.
std::wstring AppDataFolderPath();
// Its parent (Roaming\Orvo游戏): what a test removes to start from a first run.
std::wstring AppDataRootPath();
// Gantry.ini in that folder.
std::wstring SettingsPath();
// A value of the settings file; "<missing>" when it has none.
std::wstring ReadSetting(const wchar_t* section, const wchar_t* key);
// Writes a value, creating the folders first as the launcher would.
void WriteSetting(const wchar_t* section, const wchar_t* key, const std::wstring& value);

// Adds the authority of sign_upgraders.sh (signed\ca.der beside the test program)
// to the machine's root store, where a publisher's real authority is on Windows.
bool TrustTestAuthority();

} // namespace testing_support
