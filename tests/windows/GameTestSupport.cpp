#include "tests/windows/GameTestSupport.h"

#include <map>

CKoBaseControl& GameWindowTestAccess::Control(CFormGame& game, GameSlot slot) {
    const std::map<GameSlot, CKoBaseControl*> controls = {{kGameTitleImage, &game.m_imgTitle},
                                                          {kGameClose, &game.m_btnClose},
                                                          {kGameMaximize, &game.m_btnMaximize},
                                                          {kGameMinimize, &game.m_btnMinimize},
                                                          {kGameTray, &game.m_btnTray},
                                                          {kGameSettings, &game.m_btnSettings},
                                                          {kGameService, &game.m_btnService},
                                                          {kGameForum, &game.m_btnForum},
                                                          {kGameOfficialSite, &game.m_btnOfficialSite},
                                                          {kGamePay, &game.m_btnPay},
                                                          {kGameIcon, &game.m_imgIcon},
                                                          {kGameTitleLabel, &game.m_lblTitle}};
    return *controls.at(slot);
}

namespace gametest {

namespace {

ModalScript* g_script = nullptr;

std::wstring TextOf(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM lParam) {
    wchar_t cls[32] = L"";
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0)
        *reinterpret_cast<std::wstring*>(lParam) += TextOf(child);
    return TRUE;
}

void PostKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 0);
}

} // namespace

ModalScript::ModalScript() {
    g_script = this;
    m_cbt = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    m_call = SetWindowsHookExW(WH_CALLWNDPROC, CallHook, nullptr, GetCurrentThreadId());
}

ModalScript::~ModalScript() {
    UnhookWindowsHookEx(m_call);
    UnhookWindowsHookEx(m_cbt);
    g_script = nullptr;
}

// A message box is being activated: record it and click its answer.
LRESULT CALLBACK ModalScript::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_script) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t cls[32] = L"";
        GetClassNameW(box, cls, 32);
        if (wcscmp(cls, L"#32770") == 0 && g_script->m_answered.insert(box).second) {
            Shown shown;
            shown.caption = TextOf(box);
            EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&shown.text));
            shown.owner = GetWindow(box, GW_OWNER);
            g_script->boxes.push_back(shown);
            int answer = IDCANCEL;
            if (!g_script->boxAnswers.empty()) {
                answer = g_script->boxAnswers.front();
                g_script->boxAnswers.pop_front();
            }
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A popup menu is about to show (its items and checks are final): record it and
// queue the keys that choose the scripted command. Also notes system commands and
// messages forwarded to a browser.
LRESULT CALLBACK ModalScript::CallHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_script && call) {
        if (call->message == WM_SYSCOMMAND)
            g_script->sysCommands.emplace_back(call->hwnd, call->wParam);
        if (call->message == 0x037F) // WM_FORWARDMSG
            g_script->forwarded.push_back(call->hwnd);
        if (call->message == WM_INITMENUPOPUP) {
            const HMENU menu = reinterpret_cast<HMENU>(call->wParam);
            Shown shown;
            shown.owner = call->hwnd;
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                const UINT id = GetMenuItemID(menu, i);
                shown.items.push_back(id);
                if (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED)
                    shown.checkedItems.insert(id);
            }
            g_script->menus.push_back(shown);
            UINT choice = 0;
            if (!g_script->menuChoices.empty()) {
                choice = g_script->menuChoices.front();
                g_script->menuChoices.pop_front();
            }
            size_t index = 0;
            while (index < shown.items.size() && shown.items[index] != choice)
                ++index;
            if (index == shown.items.size()) {
                PostKey(call->hwnd, VK_ESCAPE);
            } else {
                for (size_t i = 0; i <= index; ++i)
                    PostKey(call->hwnd, VK_DOWN);
                PostKey(call->hwnd, VK_RETURN);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

namespace {

struct TrayState {
    std::vector<ShellCallRecord> calls;
    std::set<std::pair<HWND, UINT>> live;
    bool refuseAdds = false;
} g_tray;

// The notification area's rules: an icon is added once, and only an icon that is
// there can be changed or deleted.
BOOL WINAPI FakeShellCall(DWORD message, PNOTIFYICONDATAW data) {
    g_tray.calls.push_back({message, data->cbSize, data->hWnd, data->uID, data->uCallbackMessage});
    const std::pair<HWND, UINT> icon = {data->hWnd, data->uID};
    const bool there = g_tray.live.count(icon) != 0;
    switch (message) {
    case NIM_ADD:
        if (there || g_tray.refuseAdds)
            return FALSE;
        g_tray.live.insert(icon);
        return TRUE;
    case NIM_MODIFY:
        return there;
    case NIM_DELETE:
        return g_tray.live.erase(icon) != 0;
    default:
        return FALSE;
    }
}

} // namespace

void CountTrayIcons() {
    CTrayIcon::SetShellCall(FakeShellCall);
}

size_t LiveTrayIcons() {
    return g_tray.live.size();
}

const std::vector<ShellCallRecord>& ShellCalls() {
    return g_tray.calls;
}

void ForgetTrayIcons() {
    g_tray.live.clear();
}

void RefuseTrayAdds(bool refuse) {
    g_tray.refuseAdds = refuse;
}

void RunUnmanagedUnderWine() {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        return;
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* name = wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path;
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + std::wstring(name) + L"\\X11 Driver";
    wchar_t value[4] = L"";
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Managed", RRF_RT_REG_SZ, nullptr, value, &size) ==
        ERROR_SUCCESS)
        return;
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Managed", REG_SZ, L"N", 2 * sizeof(wchar_t));
    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    ExitProcess(code);
}

POINT CentreOf(const CKoBaseControl& control) {
    const RECT r = control.GetBounds();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Click(HWND window, POINT pt) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

} // namespace gametest
