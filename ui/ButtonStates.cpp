#include "ui/ButtonStates.h"

bool ButtonImageSet::Has(ButtonImage which) const {
    switch (which) {
    case ButtonImage::Normal:
        return normal;
    case ButtonImage::Hover:
        return hover;
    case ButtonImage::Pressed:
        return pressed;
    case ButtonImage::Disabled:
        return disabled;
    case ButtonImage::Checked:
        return checked;
    case ButtonImage::CheckedHover:
        return checkedHover;
    case ButtonImage::CheckedPressed:
        return checkedPressed;
    case ButtonImage::CheckedDisabled:
        return checkedDisabled;
    case ButtonImage::Keep:
        break;
    }
    return false;
}

namespace {

bool IsHoverLike(int32_t s) {
    return s == StateHover || s == StateReleased;
}

void AddColor(StateDecision& d, TextColorChoice c) {
    if (c == TextColorChoice::None)
        return;
    d.colors[d.colors[0] == TextColorChoice::None ? 0 : 1] = c;
}

TextColorChoice CheckedColor(const ButtonLook& look, int32_t state) {
    if (look.hasCheckedColor)
        return TextColorChoice::Checked;
    if (!look.hoverEffect)
        return TextColorChoice::None;
    return (IsHoverLike(state) || state == StatePressed) ? TextColorChoice::Hover : TextColorChoice::Normal;
}

// Checked images; true when one was chosen.
bool ChooseChecked(StateDecision& d, int32_t state, bool refresh, const ButtonLook& look,
                   const ButtonImageSet& images) {
    AddColor(d, CheckedColor(look, state));
    ButtonImage wanted = ButtonImage::Checked;
    if (IsHoverLike(state))
        wanted = ButtonImage::CheckedHover;
    else if (state == StatePressed)
        wanted = ButtonImage::CheckedPressed;

    if (images.Has(wanted)) {
        d.image = wanted;
        return true;
    }
    if (wanted != ButtonImage::Checked && refresh && images.checked) {
        d.image = ButtonImage::Checked;
        return true;
    }
    return false;
}

bool ChooseUnchecked(StateDecision& d, int32_t state, bool refresh, const ButtonLook& look,
                     const ButtonImageSet& images) {
    ButtonImage candidate;
    if (IsHoverLike(state) || state == StatePressed) {
        if (look.hoverEffect)
            AddColor(d, TextColorChoice::Hover);
        candidate = IsHoverLike(state) ? ButtonImage::Hover : ButtonImage::Pressed;
    } else {
        if (look.hoverEffect)
            AddColor(d, TextColorChoice::Normal);
        if (images.normal) {
            d.image = ButtonImage::Normal;
            return true;
        }
        return false;
    }
    if (images.Has(candidate)) {
        d.image = candidate;
        return true;
    }
    if (refresh && images.normal) {
        d.image = ButtonImage::Normal;
        return true;
    }
    return false;
}

} // namespace

StateDecision DecideButtonState(int32_t stored, int32_t requested, bool redraw, const ButtonLook& look,
                                const ButtonImageSet& images) {
    StateDecision d;
    d.storedState = stored;
    if (requested == stored) {
        d.ignored = true;
        return d;
    }
    const bool refresh = requested == StateRefresh;
    if (!refresh)
        d.storedState = requested;
    const int32_t state = d.storedState;

    bool found = false;
    if (look.checked)
        found = ChooseChecked(d, state, refresh, look, images);
    if (!found)
        found = ChooseUnchecked(d, state, refresh, look, images);

    d.redraw = look.visible && look.enabled && redraw && (found || refresh);
    return d;
}

ButtonImage DecideEnabledImage(bool enable, bool checked, const ButtonImageSet& images) {
    if (enable) {
        if (checked && images.checked)
            return ButtonImage::Checked;
        return images.normal ? ButtonImage::Normal : ButtonImage::Keep;
    }
    if (!checked)
        return images.disabled ? ButtonImage::Disabled : ButtonImage::Normal;
    if (images.checkedDisabled)
        return ButtonImage::CheckedDisabled;
    return images.checked ? ButtonImage::Checked : ButtonImage::Normal;
}
