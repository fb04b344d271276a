// Resource ids shared by the resource script and the code.
#pragma once

#define IDS_APP_TITLE 103    // "OrvoValdrenna": window title
#define IDS_WINDOW_CLASS 109 // "OrvoGantry": the one window class
#define IDI_APP 151

// Menus: the game window's settings menu and the tray menu.
#define IDR_MENU_SETTINGS 149
#define IDR_MENU_TRAY 156
#define ID_MENU_REFRESH 32774
#define ID_MENU_AUTORUN 32776
#define ID_MENU_CLEAR_CACHE 32778
#define ID_TRAY_OPEN 32781
#define ID_TRAY_EXIT 32782

// Skin images, resource type "PNG" (IDB_KEY_BITMAP is a bitmap resource).
#define IDB_BACKGROUND 170        // background window artwork, 1200 x 760
#define IDB_LOGIN_BACK 183        // login window background, the key colour
#define IDB_GAME_TRAY 184         // game window: hide-to-tray button
#define IDB_GAME_TRAY_HOVER 185
#define IDB_GAME_CLOSE 186        // game window: close button
#define IDB_GAME_CLOSE_HOVER 187
#define IDB_LOGIN_CLOSE 188       // login window: close button
#define IDB_LOGIN_CLOSE_HOVER 189
#define IDB_LOGIN_FORUM 190       // login window: 游戏论坛
#define IDB_LOGIN_FORUM_HOVER 191
#define IDB_LOGIN_MINIMIZE 192    // login window: minimise button
#define IDB_LOGIN_MINIMIZE_HOVER 193
#define IDB_LOGIN_HOME 194        // login window: 官方网站
#define IDB_LOGIN_HOME_HOVER 195
#define IDB_GUIDE 196             // 游戏攻略 (no window shows it)
#define IDB_GUIDE_HOVER 197
#define IDB_LOGIN_PAY 198         // login window: 充值系统
#define IDB_LOGIN_PAY_HOVER 199
#define IDB_LOGIN_SERVICE 200     // login window: 在线客服
#define IDB_LOGIN_SERVICE_HOVER 201
#define IDB_GAME_FORUM 202        // game window: 论坛
#define IDB_GAME_FORUM_HOVER 203
#define IDB_GAME_ICON 204         // game window: title icon
#define IDB_GAME_MAXIMIZE 205     // game window: maximise button
#define IDB_GAME_MAXIMIZE_HOVER 206
#define IDB_GAME_MINIMIZE 207     // game window: minimise button
#define IDB_GAME_MINIMIZE_HOVER 208
#define IDB_GAME_RESTORE 209      // game window: the maximise button's checked images
#define IDB_GAME_RESTORE_HOVER 210
#define IDB_GAME_HOME 211         // game window: 官网
#define IDB_GAME_HOME_HOVER 212
#define IDB_GAME_PAY 213          // game window: 充值
#define IDB_GAME_PAY_HOVER 214
#define IDB_GAME_SERVICE 215      // game window: 客服
#define IDB_GAME_SERVICE_HOVER 216
#define IDB_GAME_SETTINGS 217     // game window: 设置
#define IDB_GAME_SETTINGS_HOVER 218
#define IDB_GAME_TITLE 219        // game window: title bar, 1500 x 27
#define IDB_KEY_BITMAP 220        // bitmap resource of the key colour (unused)
#define IDB_QQ_TITLE 221          // external-account login window: title bar
#define IDB_QQ_BORDER 222         // external-account login window: left and right borders
#define IDB_QQ_BOTTOM 223         // external-account login window: bottom border
#define IDB_QQ_CLOSE 224          // external-account login window: close button
#define IDB_QQ_CLOSE_HOVER 225
#define IDB_GUIDE_COPY 226        // copies of 196 and 197 (unused)
#define IDB_GUIDE_COPY_HOVER 227
