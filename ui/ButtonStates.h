// Which state image a skinned button shows and which text colour it takes, for a
// requested state. The button keeps its images and applies the decision; here is
// only the choice, so it can be checked without drawing anything.
#pragma once

#include <cstdint>

enum ButtonState : int32_t {
    StateNormal = 0,
    StateHover = 1,
    StatePressed = 2,
    StateReleased = 3, // the pointer is over the button after a release; shown like hover
    StateRefresh = 4,  // re-apply the stored state's images; never stored
};

enum class ButtonImage {
    Keep, // no change of the current image
    Normal,
    Hover,
    Pressed,
    Disabled,
    Checked,
    CheckedHover,
    CheckedPressed,
    CheckedDisabled,
};

enum class TextColorChoice { None, Normal, Hover, Checked };

// Which of the eight images have a bitmap.
struct ButtonImageSet {
    bool normal = false, hover = false, pressed = false, disabled = false;
    bool checked = false, checkedHover = false, checkedPressed = false, checkedDisabled = false;
    bool Has(ButtonImage which) const;
};

struct ButtonLook {
    bool checked = false;
    bool hoverEffect = false;     // the label's colours follow the pointer
    bool hasCheckedColor = false; // the label has a checked text colour
    bool visible = true;
    bool enabled = true;
};

struct StateDecision {
    bool ignored = false;    // the requested state is already stored: nothing at all happens
    int32_t storedState = 0; // the state after the call
    ButtonImage image = ButtonImage::Keep;
    // Text colours set one after the other (a checked button without its images
    // falls back to the unchecked rule, which sets a colour again).
    TextColorChoice colors[2] = {TextColorChoice::None, TextColorChoice::None};
    bool redraw = false;
};

StateDecision DecideButtonState(int32_t stored, int32_t requested, bool redraw, const ButtonLook& look,
                                const ButtonImageSet& images);

// The image a button shows after it is enabled or disabled. `Keep` only when
// enabling finds neither image.
ButtonImage DecideEnabledImage(bool enable, bool checked, const ButtonImageSet& images);
