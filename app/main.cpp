// Process entry.
#include "app/GlobalModule.h"
#include "app/MainFlow.h"
#include "res/resource.h"

#include <objbase.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCmd) {
    CoInitialize(nullptr);
    OleInitialize(nullptr);
    g_appModule.Init(instance);

    g_module.m_hInstance = instance;
    g_module.m_nShowCmd = showCmd;
    // A string that fails to load stays empty; registration and creation go on.
    LoadStringW(instance, IDS_APP_TITLE, g_module.m_szTitle, 100);
    LoadStringW(instance, IDS_WINDOW_CLASS, g_module.m_szClassName, 100);
    RegisterMainWindowClass(instance);

    const int result = RunMainFlow();

    g_appModule.Term();
    OleUninitialize();
    CoUninitialize();
    return result;
}
