#include "tests/windows/GameTestSupport.h"

CKoBaseControl& GameWindowTestAccess::Control(CFormGame& game, GameSlot slot) {
    CKoBaseControl* const bySlot[] = {&game.m_imgTitle,    &game.m_btnClose, &game.m_btnMaximize,
                                      &game.m_btnMinimize, &game.m_btnTray,  &game.m_btnSettings,
                                      &game.m_btnService,  &game.m_btnForum, &game.m_btnOfficialSite,
                                      &game.m_btnPay,      &game.m_imgIcon,  &game.m_lblTitle};
    return *bySlot[slot];
}

namespace gametest {

namespace {

ModalScript* g_script = nullptr;

std::wstring TextOf(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM text) {
    wchar_t cls[32] = L"";
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0)
        *reinterpret_cast<std::wstring*>(text) += TextOf(child);
    return TRUE;
}

template <typename T> T Next(std::deque<T>& script, T otherwise) {
    if (script.empty())
        return otherwise;
    const T next = script.front();
    script.pop_front();
    return next;
}

// A message box is being activated: note it and click the scripted answer.
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t cls[32] = L"";
    if (code == HCBT_ACTIVATE && GetClassNameW(box, cls, 32) && wcscmp(cls, L"#32770") == 0 &&
        GetPropW(box, L"answered") == nullptr) {
        SetPropW(box, L"answered", box);
        Shown shown;
        shown.caption = TextOf(box);
        shown.owner = GetWindow(box, GW_OWNER);
        EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&shown.text));
        g_script->boxes.push_back(shown);
        const int answer = Next(g_script->boxAnswers, IDCANCEL);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), LPARAM(GetDlgItem(box, answer)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A popup menu is about to show, its items and checks final: note it and queue the
// keys that choose the scripted command (Escape when it has none).
LRESULT CALLBACK CallHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_SYSCOMMAND)
        g_script->sysCommands.push_back(call->wParam);
    if (code == HC_ACTION && call->message == WM_INITMENUPOPUP) {
        const HMENU menu = reinterpret_cast<HMENU>(call->wParam);
        Shown shown;
        shown.owner = call->hwnd;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            shown.items.push_back(GetMenuItemID(menu, i));
            if (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED)
                shown.checked.insert(shown.items.back());
        }
        g_script->menus.push_back(shown);
        const UINT choice = Next(g_script->menuChoices, 0u);
        size_t downs = 0;
        while (downs < shown.items.size() && shown.items[downs] != choice)
            ++downs;
        if (downs == shown.items.size()) {
            PostMessageW(call->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        } else {
            for (size_t i = 0; i <= downs; ++i)
                PostMessageW(call->hwnd, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(call->hwnd, WM_KEYDOWN, VK_RETURN, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

NotificationArea g_area;

BOOL WINAPI FakeShellCall(DWORD message, PNOTIFYICONDATAW data) {
    g_area.calls.push_back({message, *data});
    const std::pair<HWND, UINT> icon = {data->hWnd, data->uID};
    if (message == NIM_ADD)
        return !g_area.refuseAdds && g_area.icons.insert(icon).second;
    if (message == NIM_MODIFY)
        return g_area.icons.count(icon) != 0;
    return message == NIM_DELETE && g_area.icons.erase(icon) != 0;
}

} // namespace

ModalScript::ModalScript() {
    g_script = this;
    cbt = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    call = SetWindowsHookExW(WH_CALLWNDPROC, CallHook, nullptr, GetCurrentThreadId());
}

ModalScript::~ModalScript() {
    UnhookWindowsHookEx(call);
    UnhookWindowsHookEx(cbt);
    g_script = nullptr;
}

NotificationArea& FakeNotificationArea() {
    CTrayIcon::SetShellCall(FakeShellCall);
    return g_area;
}

void RunUnmanagedUnderWine() {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        return;
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring key =
        L"Software\\Wine\\AppDefaults\\" + std::wstring(wcsrchr(path, L'\\') + 1) + L"\\X11 Driver";
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Managed", RRF_RT_REG_SZ, nullptr, nullptr, nullptr) ==
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

void Click(HWND window, const CKoBaseControl& control) {
    const RECT r = control.GetBounds();
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(window, WM_LBUTTONUP, 0, at);
}

} // namespace gametest
