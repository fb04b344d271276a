// Skin images decoded once and shared: every image loaded from the same resource of
// the same module while another still shows it gets the same decoded DIB section
// instead of a decode of its own (a button's hover image is also its pressed
// image; the game window's restore hover image serves two states). An entry lives
// as long as an image shows it, so destroying the last control that uses an image
// frees its bitmap, as when each control had its own. Shared images are read-only.
// Any thread.
#pragma once

#include "ui/Image.h"

#include <windows.h>

#include <functional>
#include <memory>

// The decoded image of resource `id` of `instance` prepared in way `variant` (the
// premultiply rule: the same resource prepared otherwise is another image): the
// one still alive from an earlier call, else a new one filled by `decode` (which
// may leave it empty).
std::shared_ptr<const CImage> SharedResourceImage(HINSTANCE instance, WORD id, int variant,
                                                  const std::function<void(CImage&)>& decode);
