// Decoding through the Windows Imaging Component (WIC): the first frame of an image
// in any format WIC reads (PNG for the skin), written by WIC straight into a new DIB
// section of the depth the toolkit keeps: 32 bits with straight (not premultiplied)
// alpha for images with transparency, 24 bits for opaque colour, and for palette
// images their own depth (1, 4 or 8; 2-bit indices are widened to 4) with the
// palette in the colour table and its transparency dropped.
#pragma once

#include "ui/Image.h"

#include <windows.h>

#include <objidl.h>

// Fills the empty image `out` from the stream's current position. Any thread: COM
// is initialised for the call when the thread has none. A failure code leaves `out`
// empty or partly filled; the caller discards it.
HRESULT DecodeWithWic(IStream* stream, CImage& out);
