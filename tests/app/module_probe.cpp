// A program that is nothing but the global module: it is built at start-up like
// the launcher's (reading and updating the settings of this Wine prefix), and
// main writes what it computed to the file named by the first argument, one
// "key=value" line each, UTF-8.
#include "app/GlobalModule.h"
#include "app/base/Utils.h"
#include "ui/TopMostSetting.h"

#include "tests/support/Utf8Text.h"

#include <windows.h>

#include <cstdio>
#include <string>

using testing_support::Utf8;

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    FILE* out = _wfopen(argv[1], L"wb");
    if (!out)
        return 3;
    auto put = [out](const char* key, const std::wstring& value) {
        fprintf(out, "%s=%s\n", key, Utf8(value).c_str());
    };
    put("loginUrl", g_module.GetLoginUrl());
    put("runCount", std::to_wstring(g_module.GetRunCount()));
    put("refer", g_module.GetRefer());
    put("uid", g_module.GetUid());
    put("topMost", std::to_wstring(TopMostSetting()));
    put("versionFileUrl", g_module.GetVersionFileUrl());
    put("upgraderUrl", g_module.GetUpgraderUrl());
    put("appData", g_module.GetAppDataFolder());
    put("settings", g_module.GetSettingsIniPath());
    put("upgradeFolder", g_module.GetUpgradeFolder());
    put("upgrader", g_module.GetUpgraderPath());
    put("lastUpgradeIni", g_module.GetLastUpgradeIniPath());
    put("activeCounted", std::to_wstring(g_module.IsActiveCounted()));
    fclose(out);
    return 0;
}
