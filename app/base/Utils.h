// Win32 helpers shared by the whole launcher: folders, INI access, time and GUID
// text, code-page conversion, the browser cache and two environment tests.
// They may be called from the main thread and from the download workers.
#pragma once

#include "app/base/TextUtils.h"

#include <cstdint>
#include <string>

// The roaming application-data folder + "Orvo游戏\tavro\", created with its parents
// on first use and cached for the process. Always ends with "\".
std::wstring GetAppDataFolder();

// The settings file, app-data folder + "Gantry.ini". The INI functions below use it
// when their file argument is empty.
std::wstring GetSettingsIniPath();

// Creates the folder and every missing parent. True when it exists afterwards.
bool MakeSureDirExists(const wchar_t* path);

// GetTempPathW, cached for the process (ends with "\").
std::wstring GetTempFolder();

// Profile strings through a 260-character buffer: longer values come back cut to 259.
std::wstring ReadIniString(const std::wstring& section, const std::wstring& key, const std::wstring& def,
                           const std::wstring& file = std::wstring());
int ReadIniInt(const std::wstring& section, const std::wstring& key, int def,
               const std::wstring& file = std::wstring());
void WriteIniString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                    const std::wstring& file = std::wstring());

// wcsftime of the local time; empty when the pattern is null, the time cannot be
// converted or the text does not fit 128 characters.
std::wstring FormatTime(const wchar_t* pattern, int64_t time);
// The current time, as FormatTime takes it.
int64_t CurrentTime();

// A new GUID as 36 upper-case characters with dashes. When no GUID can be made the
// previous result is returned again (empty before the first success).
std::wstring NewGuidString();

// Conversions through the ANSI code page, also when it is UTF-8 (65001). False
// (output untouched) for null input.
bool ToNarrow(const wchar_t* text, std::string& out);
bool ToWide(const char* text, std::wstring& out);
std::string ToNarrow(const std::wstring& text);
std::wstring ToWide(const std::string& text);

// Deletes every entry of the WinINet URL cache.
void ClearUrlCache();

// True when the text occurs anywhere in the full command line (case-sensitive): the
// start switches ("/autorun", "/setupsucc", ...). False for a null text.
bool HasSwitch(const wchar_t* sw);

// True when the process token is elevated.
bool IsProcessElevated();

// 64 on 64-bit Windows (also for a 32-bit process under WoW64), else 32.
int GetOsBits();
