// Pieces of the game window's Wine tests: named access to its controls and view,
// a thread hook that answers its message boxes and menus and records what they
// showed, and a stand-in notification area (Wine's own takes two seconds to delete
// an icon under Xvfb; the launcher's end-to-end test uses the real one).
#pragma once

#include "browser/windows/FormGame.h"
#include "browser/windows/GameLayout.h"

#include <windows.h>

#include <deque>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct GameWindowTestAccess {
    static CBrowserView& View(CFormGame& game) { return game.m_view; }
    static CKoButton& MaximizeButton(CFormGame& game) { return game.m_btnMaximize; }
    static CKoLabel& TitleLabel(CFormGame& game) { return game.m_lblTitle; }
    static CKoBaseControl& Control(CFormGame& game, GameSlot slot);
};

namespace gametest {

// A message box (caption, text) or popup menu (items, checked items) shown on this thread.
struct Shown {
    std::wstring caption, text;
    HWND owner = nullptr;
    std::vector<UINT> items;
    std::set<UINT> checked;
};

// While it exists, each message box gets the next of boxAnswers (IDYES, IDNO, IDOK)
// and each popup menu the next of menuChoices (a command, 0 to dismiss it).
// WM_SYSCOMMAND values sent to windows of this thread are noted too.
struct ModalScript {
    ModalScript();
    ~ModalScript();
    std::deque<int> boxAnswers;
    std::deque<UINT> menuChoices;
    std::vector<Shown> boxes, menus;
    std::vector<WPARAM> sysCommands;
    HHOOK cbt = nullptr, call = nullptr;
};

// The stand-in notification area: an icon is added once; only one that is there
// can be modified or deleted. Adds are refused while refuseAdds is set.
struct NotificationArea {
    struct Call {
        DWORD message;
        NOTIFYICONDATAW data;
    };
    std::vector<Call> calls;
    std::set<std::pair<HWND, UINT>> icons;
    bool refuseAdds = false;
};
// Routes the tray icons of every game window to it.
NotificationArea& FakeNotificationArea();

// Wine without a window manager (Xvfb) waits a second, for a manager that never
// answers, at each show and hide of a managed window. Wine reads whether to manage
// a program's windows when the program starts, so the first call writes that
// setting for this program, runs it again and ends with that run's exit code.
void RunUnmanagedUnderWine();

// A press and a release at the control's centre, as the mouse sends them.
void Click(HWND window, const CKoBaseControl& control);

} // namespace gametest
