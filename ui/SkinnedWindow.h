// What every skinned window of the launcher does alike: its buttons, its drag by
// the artwork, its place in the z-order and on the screen.
#pragma once

#include "ui/FormPlacement.h"

#include <windows.h>

class CKoButton;
class CKoForm;

// The yellow of the windows' title and status texts (a COLORREF: red and green).
constexpr COLORREF kSkinYellow = 0x0000FFFF;

// A button with its normal image and the hover image (also shown pressed), and the
// hand cursor, added to the form.
void AddSkinButton(CKoForm& form, CKoButton& button, HINSTANCE instance, UINT normal, UINT hover);

// Starts the system's move loop, as a drag of a caption would: the skinned
// windows have none, their artwork stands in for it.
void StartWindowDrag(HWND window);

// Where a window placed on top goes: above every topmost window when the player
// asked for TopMost, else at the top of the others.
HWND TopMostInsertAfter();

// The top-left corner that centres a client of this size in the work area.
FormPosition CenteredInPrimaryWorkArea(int clientWidth, int clientHeight);
