// Where a window's browser is created, inside the window, before the window's
// first layout gives it its place.
#pragma once

#include <windows.h>

constexpr RECT kInitialViewRect = {308, 170, 910, 547};
