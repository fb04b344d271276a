#include "ui/SkinnedWindow.h"

#include "ui/KoButton.h"
#include "ui/KoForm.h"
#include "ui/TopMostSetting.h"

namespace {

constexpr WPARAM kSysCommandDrag = 0xF011; // SC_MOVE with the mouse's code, as a caption drag sends it

} // namespace

void AddSkinButton(CKoForm& form, CKoButton& button, HINSTANCE instance, UINT normal, UINT hover) {
    button.SetImages(normal, instance, hover, hover);
    button.cursor = LoadCursorW(nullptr, IDC_HAND);
    form.AddControl(&button);
}

void StartWindowDrag(HWND window) {
    SendMessageW(window, WM_SYSCOMMAND, kSysCommandDrag, 0);
}

HWND TopMostInsertAfter() {
    return TopMostSetting() == 1 ? HWND_TOPMOST : HWND_TOP;
}

FormPosition CenteredInPrimaryWorkArea(int clientWidth, int clientHeight) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return CenteredInWorkArea(work.right, work.bottom, clientWidth, clientHeight);
}
