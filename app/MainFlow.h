// The spine of the user interface: the one window class, the start modes, the
// main thread's message loop and the window procedure every form shares.
#pragma once

#include <windows.h>

// Which start the command line asks for; the first switch present wins, in this order.
enum class StartMode {
    SetupSuccess,     // "/setupsucc": report a finished installation
    UninstallSuccess, // "/uninstallsucc": report a finished uninstallation
    ShowDesktop,      // "/ShowDeskTop": toggle the desktop
    Normal,
};
StartMode SelectStartMode();

// Registers the class every top-level window uses (class name and icon from the
// global module and the resources). The result is not checked by the entry.
ATOM RegisterMainWindowClass(HINSTANCE instance);

// What a start mode without windows returns when its message window cannot be
// made: nothing could end its loop, so it ends at once.
constexpr int kNoWindowExitCode = 2;

// Runs the selected start mode; returns the message loop's exit code.
int RunMainFlow();

// After the loop of the normal start: a game window still open (the upgrader was
// started during the game) goes with its tray icon and browser, and an
// external-login window with its browser, while COM and OLE are still up; then
// every retired window object that nothing holds any more is freed.
void EndWindowsAtExit();

// The main thread's loop. The global module filters the messages; the retired
// window objects are freed between messages.
int RunMessageLoop();

LRESULT CALLBACK SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Minimises or restores every window through the shell (its own COM scope).
void ToggleDesktop();
