// Pieces of the game window's Wine tests: named access to its controls and view,
// a thread hook that answers its message boxes and menus and records what they
// showed, and a stand-in notification area. (Wine's own takes two seconds to delete
// an icon under Xvfb; the real one is used by the launcher's end-to-end test.)
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
    static CKoBaseControl& Control(CFormGame& game, GameSlot slot);
    static CKoButton& MaximizeButton(CFormGame& game) { return game.m_btnMaximize; }
    static CKoLabel& TitleLabel(CFormGame& game) { return game.m_lblTitle; }
};

namespace gametest {

// A message box or popup menu that the code under test showed on this thread.
struct Shown {
    std::wstring caption;        // box caption; empty for a menu
    std::wstring text;           // box text
    HWND owner = nullptr;        // box owner or menu owner
    std::vector<UINT> items;     // menu commands in order
    std::set<UINT> checkedItems; // menu commands shown checked
};

// While it exists: each message box is answered with the next of boxAnswers
// (IDYES, IDNO, IDOK), each popup menu with the next of menuChoices (a command to
// choose, 0 to dismiss it). Also records WM_SYSCOMMAND and WM_FORWARDMSG sent to
// windows of this thread.
class ModalScript {
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    std::deque<int> boxAnswers;
    std::deque<UINT> menuChoices;
    std::vector<Shown> boxes;
    std::vector<Shown> menus;
    std::vector<std::pair<HWND, WPARAM>> sysCommands;
    std::vector<HWND> forwarded; // targets of WM_FORWARDMSG

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CallHook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_cbt = nullptr;
    HHOOK m_call = nullptr;
    std::set<HWND> m_answered;
};

// Puts the tray icons into the stand-in notification area.
void CountTrayIcons();
// Icons in it.
size_t LiveTrayIcons();
// Every call: message, cbSize, hWnd, uID, uCallbackMessage of the record.
struct ShellCallRecord {
    DWORD message;
    DWORD cbSize;
    HWND window;
    UINT id;
    UINT callback;
};
const std::vector<ShellCallRecord>& ShellCalls();
// What a restart of the shell does: every icon of this process is gone.
void ForgetTrayIcons();
// While set, NIM_ADD is refused (the shell is not there).
void RefuseTrayAdds(bool refuse);

// Wine without a window manager (Xvfb) waits a second, for a manager that never
// answers, each time a managed window is shown or hidden. Wine reads whether to
// manage a program's windows when the program starts, so the first time this is
// called it writes the setting for this program and runs it again, ending with
// the second run's exit code; later calls return at once. Before any window.
void RunUnmanagedUnderWine();

// The control's centre in client coordinates.
POINT CentreOf(const CKoBaseControl& control);
// A press and release at the point, as the mouse sends them.
void Click(HWND window, POINT pt);

} // namespace gametest
