// The launcher's own window messages. All are posted with wParam 0 and lParam 0.
#pragma once

#include <windows.h>

constexpr UINT UM_ENTER_GAME = WM_USER + 200;     // 1224: open the game window
constexpr UINT UM_EXIT_APP = WM_USER + 201;       // 1225: the login window closes, the process ends
constexpr UINT UM_TRAY_ICON = WM_USER + 204;      // 1228: tray icon callback
constexpr UINT UM_CONFIRM_EXIT = WM_USER + 206;   // 1230: ask, then quit; accepted from any process
constexpr UINT UM_EXTERNAL_LOGIN = WM_USER + 207; // 1231: open the external-account login window
constexpr UINT UM_UPGRADE_PROMPT = WM_USER + 208; // 1232: a download worker found a newer version
constexpr UINT UM_UPGRADER_READY = WM_USER + 209; // 1233: the upgrader download has ended
