#include "browser/windows/FormGame.h"

#include "app/base/Endpoints.h"
#include "app/base/Handles.h"
#include "app/base/Utils.h"
#include "app/base/Messages.h"
#include "browser/windows/GameLayout.h"
#include "browser/windows/GameRules.h"
#include "browser/windows/InitialViewRect.h"
#include "browser/windows/PageMarkers.h"
#include "res/resource.h"
#include "ui/FormPlacement.h"
#include "ui/PngResource.h"
#include "ui/SkinnedWindow.h"
#include "ui/Rects.h"

#include <oleauto.h>

#include <utility>

namespace {

const wchar_t kNotice[] = L"提示";
const wchar_t kCloseQuestion[] = L"正在游戏中，确认退出？";
const wchar_t kLeaveQuestion[] = L"此操作将退出游戏，是否继续？";
const wchar_t kCacheCleared[] = L"缓存清理完毕！";
const wchar_t kTitle[] = L"OrvoValdrenna";
const UINT kTrayIconId = 156;
const int kTitleLabelWidth = 300; // as the layout gives it

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"OrvoValdrenna";

// Sent to every top-level window when the shell (and its notification area) has
// started again. Registered, so its number is known only at run time.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

// The first popup of a menu resource, detached from its menu bar; null on failure.
HMENU LoadFirstPopup(HINSTANCE instance, UINT id) {
    ScopedMenu bar(LoadMenuW(instance, MAKEINTRESOURCEW(id)));
    if (!bar)
        return nullptr;
    const HMENU popup = GetSubMenu(bar.Get(), 0);
    if (!popup || !RemoveMenu(bar.Get(), 0, MF_BYPOSITION))
        return nullptr;
    return popup;
}

ImageSize SizeOf(const CKoButton& button) {
    return {button.GetImageWidth(), button.GetImageHeight()};
}

// ChangeWindowMessageFilterEx came with Windows 7; on Vista the window goes without
// (an elevated launcher there misses a restarted shell's message, nothing more).
void AllowMessageFromLowerIntegrity(HWND window, UINT message) {
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto filter = user32 ? reinterpret_cast<FilterFn>(reinterpret_cast<void*>(
                                     GetProcAddress(user32, "ChangeWindowMessageFilterEx")))
                               : nullptr;
    if (filter && message != 0)
        filter(window, message, MSGFLT_ALLOW, nullptr);
}

} // namespace

CFormGame::CFormGame(IWindowHost& host) : m_host(host) {}

CFormGame::~CFormGame() = default;

bool CFormGame::Init(const std::wstring& url) {
    if (!Create(m_host.WindowClassName(), m_host.WindowTitle(), m_host.Instance(), nullptr))
        return false;
    SetWindowLongPtrW(window, GWL_STYLE,
                      LONG_PTR(CaptionlessWindowStyle(uint32_t(GetWindowLongPtrW(window, GWL_STYLE)))));
    // An elevated launcher still hears of a restarted shell.
    AllowMessageFromLowerIntegrity(window, TaskbarCreatedMessage());

    const HINSTANCE instance = m_host.Instance();
    m_imgTitle.isAlphaPng = LoadPngResource(instance, IDB_GAME_TITLE, m_imgTitle.image);
    AddControl(&m_imgTitle);
    AddSkinButton(*this, m_btnMinimize, instance, IDB_GAME_MINIMIZE, IDB_GAME_MINIMIZE_HOVER);
    AddSkinButton(*this, m_btnClose, instance, IDB_GAME_CLOSE, IDB_GAME_CLOSE_HOVER);
    AddSkinButton(*this, m_btnMaximize, instance, IDB_GAME_MAXIMIZE, IDB_GAME_MAXIMIZE_HOVER);
    LoadPngResource(instance, IDB_GAME_RESTORE, m_btnMaximize.checkedImage);
    LoadPngResource(instance, IDB_GAME_RESTORE_HOVER, m_btnMaximize.checkedHoverImage);
    LoadPngResource(instance, IDB_GAME_RESTORE_HOVER, m_btnMaximize.checkedPressedImage);
    m_btnMaximize.sliced = true;
    AddSkinButton(*this, m_btnTray, instance, IDB_GAME_TRAY, IDB_GAME_TRAY_HOVER);
    AddSkinButton(*this, m_btnSettings, instance, IDB_GAME_SETTINGS, IDB_GAME_SETTINGS_HOVER);
    AddSkinButton(*this, m_btnForum, instance, IDB_GAME_FORUM, IDB_GAME_FORUM_HOVER);
    AddSkinButton(*this, m_btnOfficialSite, instance, IDB_GAME_HOME, IDB_GAME_HOME_HOVER);
    AddSkinButton(*this, m_btnPay, instance, IDB_GAME_PAY, IDB_GAME_PAY_HOVER);
    m_btnPay.sliced = true;
    AddSkinButton(*this, m_btnService, instance, IDB_GAME_SERVICE, IDB_GAME_SERVICE_HOVER);
    m_imgIcon.isAlphaPng = LoadPngResource(instance, IDB_GAME_ICON, m_imgIcon.image);
    AddControl(&m_imgIcon);
    // A long page title is shortened within the label's place rather than
    // spreading over the buttons, which it would take the clicks of.
    m_lblTitle.SetAutoWidth(true, kTitleLabelWidth);
    m_lblTitle.SetText(kTitle);
    m_lblTitle.SetColor(kSkinYellow);
    AddControl(&m_lblTitle);

    if (!m_view.Create(window, kInitialViewRect)) {
        // Never a game window without its game: the caller goes on without one.
        HWND made = std::exchange(window, nullptr);
        DestroyWindow(made);
        return false;
    }
    Subscribe(m_view.m_event, this, &CFormGame::OnWebNotify);
    m_view.SetBlockNewWindow(true);
    m_strUrl = url;
    // Last: a control may report its first navigation before Navigate returns.
    m_view.Navigate(url);
    return true;
}

bool CFormGame::LayoutControls() {
    if (!window)
        return false;
    RECT client = {};
    GetClientRect(window, &client);
    GameLayoutInput in;
    in.clientWidth = client.right;
    in.clientHeight = client.bottom;
    in.titleHeight = m_imgTitle.GetImageHeight();
    const std::pair<CKoButton*, GameSlot> buttons[] = {
        {&m_btnClose, kGameClose}, {&m_btnMaximize, kGameMaximize},         {&m_btnMinimize, kGameMinimize},
        {&m_btnTray, kGameTray},   {&m_btnSettings, kGameSettings},         {&m_btnService, kGameService},
        {&m_btnForum, kGameForum}, {&m_btnOfficialSite, kGameOfficialSite}, {&m_btnPay, kGamePay}};
    for (const auto& [button, slot] : buttons)
        in.images[slot] = SizeOf(*button);
    in.images[kGameIcon] = {m_imgIcon.GetImageWidth(), m_imgIcon.GetImageHeight()};

    const auto slots = ComputeGameLayout(in);
    for (const auto& [button, slot] : buttons)
        button->SetBounds(ToRect(slots[slot]));
    m_imgTitle.SetBounds(ToRect(slots[kGameTitleImage]));
    m_imgIcon.SetBounds(ToRect(slots[kGameIcon]));
    m_lblTitle.SetBounds(ToRect(slots[kGameTitleLabel]));
    const RECT view = ToRect(slots[kGameView]);
    SetWindowPos(m_view.GetHwnd(), nullptr, view.left, view.top, view.right - view.left,
                 view.bottom - view.top, SWP_SHOWWINDOW);
    // The title bar is drawn anew for the new places; the view covers the rest.
    const RECT title = ToRect(slots[kGameTitleImage]);
    InvalidateRect(window, &title, FALSE);
    UpdateWindow(window);
    return true;
}

bool CFormGame::MaximizeToWorkArea() {
    if (!window)
        return false;
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window, nullptr, 0, 0, work.right, work.bottom, SWP_SHOWWINDOW);
    LayoutControls();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    m_bMaximized = true;
    return true;
}

bool CFormGame::RestoreCentered() {
    if (!window)
        return false;
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    const FormPosition p = CenteredInPrimaryWorkArea(width, height);
    SetWindowPos(window, nullptr, p.x, p.y, width, height, SWP_SHOWWINDOW);
    LayoutControls();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    m_bMaximized = false;
    return true;
}

void CFormGame::BringToFront() {
    m_tray.Remove();
    Restore();
}

bool CFormGame::IsDragArea(const CKoBaseControl* control) const {
    return control == &m_imgTitle || control == &m_lblTitle;
}

void CFormGame::OnActivate(WPARAM wParam, LPARAM) {
    // A minimised window's client area is empty: a layout now would shrink
    // everything to nothing until the next change of size.
    if (HIWORD(wParam) != 0 || IsIconic(window))
        return;
    LayoutControls();
}

bool CFormGame::OnLButtonDown(WPARAM flags, POINT pt) {
    CKoBaseControl* hit = ControlAt(pt);
    if (!hit)
        return false;
    if (!IsDragArea(hit))
        return hit->OnLButtonDown(flags, pt);
    // A window over the whole work area stays where it is.
    if (!m_bMaximized)
        StartWindowDrag(window);
    return true;
}

bool CFormGame::OnLButtonDblClk(WPARAM, POINT pt) {
    if (!IsDragArea(ControlAt(pt)))
        return false;
    // The maximise button keeps the look it has.
    if (m_bMaximized)
        RestoreCentered();
    else
        MaximizeToWorkArea();
    return true;
}

bool CFormGame::OnLButtonUp(WPARAM flags, POINT pt) {
    CKoBaseControl* hit = ControlAt(pt);
    if (!hit)
        return false;
    hit->OnLButtonUp(flags, pt);
    // Actions may show a modal box or menu or end this window: each is the last
    // thing done here.
    using Action = void (*)(CFormGame&);
    const struct {
        const CKoBaseControl* control;
        Action act;
    } clicks[] = {
        {&m_btnMinimize, [](CFormGame& f) { ShowWindow(f.window, SW_MINIMIZE); }},
        {&m_btnMaximize, [](CFormGame& f) { f.ToggleMaximized(); }},
        {&m_btnClose, [](CFormGame& f) { f.AskAndClose(kCloseQuestion, false); }},
        {&m_btnService, [](CFormGame& f) { f.m_host.OpenPlatformPage(PlatformPage::Service); }},
        {&m_btnPay, [](CFormGame& f) { f.m_host.OpenPlatformPage(PlatformPage::Pay); }},
        {&m_btnOfficialSite, [](CFormGame& f) { f.m_host.OpenPlatformPage(PlatformPage::Home); }},
        {&m_btnForum, [](CFormGame& f) { f.m_host.OpenPlatformPage(PlatformPage::Forum); }},
        {&m_btnSettings, [](CFormGame& f) { f.ShowMainMenu(); }},
        {&m_btnTray, [](CFormGame& f) { f.HideToTray(); }},
    };
    for (const auto& click : clicks) {
        if (click.control == hit) {
            click.act(*this);
            return true;
        }
    }
    return false;
}

void CFormGame::ToggleMaximized() {
    // Its checked images (the restore symbol) while restored, once clicked.
    if (m_btnMaximize.checked != m_bMaximized) {
        m_btnMaximize.checked = m_bMaximized;
        m_btnMaximize.SetState(StateRefresh, true);
    }
    if (m_bMaximized)
        RestoreCentered();
    else
        MaximizeToWorkArea();
}

// The box runs its own message loop, in which the window may end (a page's return
// marker) and further close requests arrive: they are not asked again, and a
// window already gone (its handle cleared at WM_NCDESTROY) is not closed again.
// The object itself outlives the box: it is freed only from the main loop.
void CFormGame::AskAndClose(const wchar_t* question, bool closeUnlessNo) {
    if (m_bAsking)
        return;
    m_bAsking = true;
    const int answer = MessageBoxW(window, question, kNotice, MB_YESNO | MB_DEFBUTTON2);
    m_bAsking = false;
    if (window && (answer == IDYES || (closeUnlessNo && answer != IDNO)))
        Close();
}

UINT CFormGame::TrackMenu(HMENU popup, POINT at) {
    const HWND self = window;
    // In front, and woken afterwards, so that a click elsewhere closes the menu.
    SetForegroundWindow(self);
    const UINT command =
        UINT(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, self, nullptr));
    PostMessageW(self, WM_NULL, 0, 0);
    return command;
}

bool CFormGame::ShowMainMenu() {
    ScopedMenu popup(LoadFirstPopup(m_host.Instance(), IDR_MENU_SETTINGS));
    if (!popup)
        return false;
    const RECT button = m_btnSettings.GetBounds();
    POINT at = {button.left, button.bottom};
    ClientToScreen(window, &at);
    const bool autoRun = IsAutoRunSet();
    CheckMenuItem(popup.Get(), ID_MENU_AUTORUN, MF_BYCOMMAND | (autoRun ? MF_CHECKED : MF_UNCHECKED));
    const UINT command = TrackMenu(popup.Get(), at);
    popup.Reset();
    switch (command) {
    case ID_MENU_REFRESH:
        m_view.Refresh();
        return true;
    case ID_MENU_CLEAR_CACHE:
        ClearUrlCache();
        MessageBoxW(window, kCacheCleared, kNotice, MB_OK);
        return true;
    case ID_MENU_AUTORUN:
        SetAutoRun(!autoRun);
        return true;
    default:
        return false;
    }
}

void CFormGame::OnWebNotify(unsigned int kind, WebNotifyWParam, WebNotifyLParam lParam) {
    switch (kind) {
    case WN_BEFORE_NAVIGATE:
        // At once and without a question; the navigation itself goes on.
        if (IsReturnToLoginUrl(m_view.GetUrl(), m_view.IsTopLevelNavigation(), ConfiguredPlatformHosts()))
            Close();
        break;
    case WN_TITLE_CHANGE: {
        const BSTR title = reinterpret_cast<BSTR>(lParam);
        m_lblTitle.SetText(title ? std::wstring(title, SysStringLen(title)) : std::wstring(), true);
        break;
    }
    case WN_NEW_WINDOW:
        // The view has cancelled it; the page stays.
        m_host.OpenUrlInBrowser(m_view.GetUrl());
        break;
    default:
        break;
    }
}

void CFormGame::HideToTray() {
    const HICON icon = LoadIconW(m_host.Instance(), MAKEINTRESOURCEW(IDI_APP));
    if (m_tray.Add(window, kTrayIconId, UM_TRAY_ICON, icon, kTitle))
        ShowWindow(window, SW_HIDE);
    else
        ShowWindow(window, SW_MINIMIZE);
}

bool CFormGame::DeleteTrayIcon() {
    return m_tray.Remove();
}

void CFormGame::OnTaskbarCreated() {
    // A window hidden to the tray would be out of reach without its icon.
    if (!m_tray.AddAgain())
        ShowWindow(window, SW_MINIMIZE);
}

void CFormGame::OnTrayIcon(UINT mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        ShowWindow(window, SW_SHOW);
        m_tray.Remove();
        break;
    case WM_RBUTTONUP:
        ShowTrayMenu();
        break;
    default:
        break;
    }
}

void CFormGame::ShowTrayMenu() {
    ScopedMenu popup(LoadFirstPopup(m_host.Instance(), IDR_MENU_TRAY));
    if (!popup)
        return;
    POINT at = {};
    GetCursorPos(&at);
    const UINT command = TrackMenu(popup.Get(), at);
    popup.Reset();
    if (command == ID_TRAY_OPEN) {
        ShowWindow(window, SW_SHOWNORMAL);
        m_tray.Remove();
    } else if (command == ID_TRAY_EXIT) {
        AskAndClose(kLeaveQuestion, true); // closing takes the icon away
    }
}

bool CFormGame::IsAutoRunSet() {
    ScopedRegKey key;
    // Reading needs no more: full access fails for restricted accounts.
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return false;
    return RegQueryValueExW(key.Get(), kRunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool CFormGame::SetAutoRun(bool on) {
    wchar_t path[MAX_PATH] = {};
    const DWORD copied = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ScopedRegKey key;
    if (RegCreateKeyW(HKEY_CURRENT_USER, kRunKey, key.Put()) != ERROR_SUCCESS)
        return false;
    if (!on)
        return RegDeleteValueW(key.Get(), kRunValue) == ERROR_SUCCESS;
    const std::wstring data = AutoRunValueData(path, copied, MAX_PATH);
    if (data.empty())
        return false;
    // REG_SZ data is counted with its terminating NUL.
    const DWORD bytes = DWORD((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          bytes) == ERROR_SUCCESS;
}

LRESULT CFormGame::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) { // Alt+F4, the taskbar's close: asked before the form closes
        AskAndClose(kLeaveQuestion, true);
        return 0;
    }
    const UINT taskbarCreated = TaskbarCreatedMessage();
    if (taskbarCreated != 0 && msg == taskbarCreated) {
        OnTaskbarCreated();
        return 0;
    }
    if (CKoForm::HandleMessage(hwnd, msg, wParam, lParam) == 0)
        return 0;
    if (msg == UM_TRAY_ICON) {
        OnTrayIcon(UINT(lParam));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

BOOL CFormGame::PreTranslateMessage(MSG* msg) {
    return m_view.PreTranslateMessage(msg);
}
