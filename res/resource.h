// Resource ids shared by the resource script and the code.
#pragma once

#define IDS_APP_TITLE 103    // "OrvoValdrenna": window title
#define IDS_WINDOW_CLASS 109 // "OrvoGantry": the one window class
#define IDI_APP 151
