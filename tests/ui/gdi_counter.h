// Counts the GDI objects and DCs that this test program creates and frees, by
// redirecting its own import table entries for the creating and freeing calls.
// Wine's GetGuiResources answers 0, so the count is kept here instead.
#pragma once

#include <windows.h>

#include <vector>

namespace gdicount {

// Patches the program's imports once; later calls do nothing.
void Install();
// Objects created through the counted calls and not freed yet.
int Live();
std::vector<HANDLE> LiveHandles();
// Every creating call seen so far (to prove the counting is in the path).
int Created();

} // namespace gdicount
