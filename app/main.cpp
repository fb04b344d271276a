// Process entry.
#include "app/GlobalModule.h"
#include "app/MainFlow.h"
#include "res/resource.h"

#include <objbase.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CoInitialize(nullptr);
    OleInitialize(nullptr);
    g_appModule.Init(instance);

    // A string that fails to load stays empty; registration and creation go on.
    wchar_t title[100] = {};
    wchar_t className[100] = {};
    LoadStringW(instance, IDS_APP_TITLE, title, ARRAYSIZE(title));
    LoadStringW(instance, IDS_WINDOW_CLASS, className, ARRAYSIZE(className));
    g_module.SetProcessValues(instance, title, className);
    RegisterMainWindowClass(instance);

    const int result = RunMainFlow();

    g_appModule.Term();
    OleUninitialize();
    CoUninitialize();
    return result;
}
