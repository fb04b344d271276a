// Which image and text colour a button takes on each state request.
#include "ui/ButtonStates.h"

#include <gtest/gtest.h>

namespace {

ButtonImageSet NormalHoverPressed() {
    ButtonImageSet s;
    s.normal = s.hover = s.pressed = true;
    return s;
}

ButtonImageSet WithChecked() {
    ButtonImageSet s = NormalHoverPressed();
    s.checked = s.checkedHover = s.checkedPressed = true;
    return s;
}

TEST(ButtonStates, SameStateDoesNothingNotEvenARepaint) {
    for (int s : {StateNormal, StateHover, StatePressed, StateReleased}) {
        const StateDecision d = DecideButtonState(s, s, true, ButtonLook{}, NormalHoverPressed());
        EXPECT_TRUE(d.ignored) << s;
        EXPECT_EQ(d.image, ButtonImage::Keep) << s;
        EXPECT_FALSE(d.redraw) << s;
        EXPECT_EQ(d.colors[0], TextColorChoice::None) << s;
    }
}

TEST(ButtonStates, MouseStatesPickTheirImages) {
    struct Case {
        int from, to;
        ButtonImage image;
    } cases[] = {
        {StateNormal, StateHover, ButtonImage::Hover},     {StateHover, StatePressed, ButtonImage::Pressed},
        {StatePressed, StateReleased, ButtonImage::Hover}, {StateReleased, StateNormal, ButtonImage::Normal},
        {StateHover, StateNormal, ButtonImage::Normal},    {StateNormal, StatePressed, ButtonImage::Pressed},
    };
    for (const auto& c : cases) {
        const StateDecision d = DecideButtonState(c.from, c.to, true, ButtonLook{}, NormalHoverPressed());
        EXPECT_FALSE(d.ignored);
        EXPECT_EQ(d.storedState, c.to);
        EXPECT_EQ(d.image, c.image) << c.from << " -> " << c.to;
        EXPECT_TRUE(d.redraw);
    }
}

TEST(ButtonStates, MissingImageKeepsThePreviousOneAndSkipsTheRepaint) {
    ButtonImageSet onlyNormal;
    onlyNormal.normal = true;
    const StateDecision d = DecideButtonState(StateNormal, StateHover, true, ButtonLook{}, onlyNormal);
    EXPECT_EQ(d.storedState, StateHover);
    EXPECT_EQ(d.image, ButtonImage::Keep);
    EXPECT_FALSE(d.redraw);
}

TEST(ButtonStates, RefreshFallsBackToTheNormalImageAndRepaints) {
    ButtonImageSet onlyNormal;
    onlyNormal.normal = true;
    const StateDecision d = DecideButtonState(StateHover, StateRefresh, true, ButtonLook{}, onlyNormal);
    EXPECT_EQ(d.storedState, StateHover); // the request is never stored
    EXPECT_EQ(d.image, ButtonImage::Normal);
    EXPECT_TRUE(d.redraw);

    // Refresh repaints even when no image at all is found.
    const StateDecision none =
        DecideButtonState(StateHover, StateRefresh, true, ButtonLook{}, ButtonImageSet{});
    EXPECT_EQ(none.image, ButtonImage::Keep);
    EXPECT_TRUE(none.redraw);
}

TEST(ButtonStates, CheckedSwitching) {
    ButtonLook look;
    look.checked = true;
    // Checked in the normal state shows the checked image.
    StateDecision d = DecideButtonState(StateNormal, StateRefresh, true, look, WithChecked());
    EXPECT_EQ(d.image, ButtonImage::Checked);
    d = DecideButtonState(StateNormal, StateHover, true, look, WithChecked());
    EXPECT_EQ(d.image, ButtonImage::CheckedHover);
    d = DecideButtonState(StateHover, StatePressed, true, look, WithChecked());
    EXPECT_EQ(d.image, ButtonImage::CheckedPressed);
    d = DecideButtonState(StatePressed, StateReleased, true, look, WithChecked());
    EXPECT_EQ(d.image, ButtonImage::CheckedHover);

    // Cleared and refreshed: back to the normal image.
    look.checked = false;
    d = DecideButtonState(StateNormal, StateRefresh, true, look, WithChecked());
    EXPECT_EQ(d.image, ButtonImage::Normal);
    EXPECT_TRUE(d.redraw);
}

TEST(ButtonStates, CheckedHoverFallsBackToCheckedOnlyOnRefresh) {
    ButtonLook look;
    look.checked = true;
    ButtonImageSet images = NormalHoverPressed();
    images.checked = true; // no checked hover or pressed image
    StateDecision d = DecideButtonState(StateNormal, StateHover, true, look, images);
    EXPECT_EQ(d.image, ButtonImage::Hover) << "a plain mouse move falls through to the unchecked images";
    d = DecideButtonState(StateHover, StateRefresh, true, look, images);
    EXPECT_EQ(d.image, ButtonImage::Checked);
    d = DecideButtonState(StatePressed, StateRefresh, true, look, images);
    EXPECT_EQ(d.image, ButtonImage::Checked);
}

TEST(ButtonStates, CheckedWithoutCheckedImagesUsesTheUncheckedOnes) {
    ButtonLook look;
    look.checked = true;
    StateDecision d = DecideButtonState(StateHover, StateNormal, true, look, NormalHoverPressed());
    EXPECT_EQ(d.image, ButtonImage::Normal);
    d = DecideButtonState(StateNormal, StateHover, true, look, NormalHoverPressed());
    EXPECT_EQ(d.image, ButtonImage::Hover);
}

TEST(ButtonStates, RepaintOnlyWhenVisibleEnabledAndAsked) {
    struct Case {
        bool visible, enabled, redraw, expected;
    } cases[] = {{true, true, true, true},
                 {false, true, true, false},
                 {true, false, true, false},
                 {true, true, false, false}};
    for (const auto& c : cases) {
        ButtonLook look;
        look.visible = c.visible;
        look.enabled = c.enabled;
        const StateDecision d =
            DecideButtonState(StateNormal, StateHover, c.redraw, look, NormalHoverPressed());
        EXPECT_EQ(d.image, ButtonImage::Hover);
        EXPECT_EQ(d.redraw, c.expected);
    }
}

TEST(ButtonStates, TextColours) {
    struct Case {
        const char* name;
        bool checked, hoverEffect, hasCheckedColor;
        ButtonImageSet images;
        int from, to;
        TextColorChoice first, second;
    } cases[] = {
        {"no hover effect, no colour", false, false, false, NormalHoverPressed(), StateNormal, StateHover,
         TextColorChoice::None, TextColorChoice::None},
        {"hover colour on hover", false, true, false, NormalHoverPressed(), StateNormal, StateHover,
         TextColorChoice::Hover, TextColorChoice::None},
        {"hover colour on press", false, true, false, NormalHoverPressed(), StateHover, StatePressed,
         TextColorChoice::Hover, TextColorChoice::None},
        {"normal colour on leave", false, true, false, NormalHoverPressed(), StateHover, StateNormal,
         TextColorChoice::Normal, TextColorChoice::None},
        {"checked colour wins when checked", true, true, true, WithChecked(), StateNormal, StateHover,
         TextColorChoice::Checked, TextColorChoice::None},
        {"checked colour even without hover effect", true, false, true, WithChecked(), StateHover,
         StateNormal, TextColorChoice::Checked, TextColorChoice::None},
        {"checked rule without checked colour", true, true, false, WithChecked(), StateNormal, StateHover,
         TextColorChoice::Hover, TextColorChoice::None},
        {"checked rule, normal colour on leave", true, true, false, WithChecked(), StateHover, StateNormal,
         TextColorChoice::Normal, TextColorChoice::None},
        {"checked rule, hover colour on press", true, true, false, WithChecked(), StateHover, StatePressed,
         TextColorChoice::Hover, TextColorChoice::None},
        {"checked images missing: checked then unchecked colour", true, true, true, NormalHoverPressed(),
         StateNormal, StateHover, TextColorChoice::Checked, TextColorChoice::Hover},
    };
    for (const auto& c : cases) {
        ButtonLook look;
        look.checked = c.checked;
        look.hoverEffect = c.hoverEffect;
        look.hasCheckedColor = c.hasCheckedColor;
        const StateDecision d = DecideButtonState(c.from, c.to, true, look, c.images);
        EXPECT_EQ(d.colors[0], c.first) << c.name;
        EXPECT_EQ(d.colors[1], c.second) << c.name;
    }
}

TEST(ButtonStates, EnabledImage) {
    ButtonImageSet all = WithChecked();
    all.disabled = all.checkedDisabled = true;
    ButtonImageSet noDisabled = WithChecked();
    ButtonImageSet noneAtAll;
    struct Case {
        const char* name;
        bool enable, checked;
        ButtonImageSet images;
        ButtonImage expected;
    } cases[] = {
        {"enable unchecked", true, false, all, ButtonImage::Normal},
        {"enable checked", true, true, all, ButtonImage::Checked},
        {"enable checked without checked image", true, true, NormalHoverPressed(), ButtonImage::Normal},
        {"enable with no images keeps", true, false, noneAtAll, ButtonImage::Keep},
        {"disable unchecked", false, false, all, ButtonImage::Disabled},
        {"disable unchecked without disabled image", false, false, noDisabled, ButtonImage::Normal},
        {"disable checked", false, true, all, ButtonImage::CheckedDisabled},
        {"disable checked without checked disabled", false, true, noDisabled, ButtonImage::Checked},
        {"disable checked with nothing checked", false, true, NormalHoverPressed(), ButtonImage::Normal},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideEnabledImage(c.enable, c.checked, c.images), c.expected) << c.name;
}

} // namespace
