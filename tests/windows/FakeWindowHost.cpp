#include "tests/windows/FakeWindowHost.h"

#include "app/base/Messages.h"
#include "ui/KoForm.h"

#include <map>
#include <utility>

namespace {

std::map<UINT, int>& RequestCounts() {
    static std::map<UINT, int> counts;
    return counts;
}

LRESULT CALLBACK RoutingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_ENTER_GAME || message == UM_EXTERNAL_LOGIN || message == UM_UPGRADE_PROMPT ||
        message == UM_UPGRADER_READY)
        ++RequestCounts()[message];
    CKoForm* form = CKoForm::FromHwnd(window);
    return form ? form->HandleMessage(window, message, wParam, lParam)
                : DefWindowProcW(window, message, wParam, lParam);
}

void RegisterRoutingClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = RoutingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.lpszClassName = FakeWindowHost::kClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

} // namespace

FakeWindowHost::FakeWindowHost(std::wstring url) : loginUrl(std::move(url)) {
    RegisterRoutingClass();
}

void FakeWindowHost::ContinueExternalLogin(const std::wstring& url) {
    continuations.push_back(url);
    if (onContinue)
        onContinue(url);
}

int FakeWindowHost::Requests(UINT message) {
    return RequestCounts()[message];
}
