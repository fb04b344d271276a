// A label whose stored state the tests read directly: what its setters and mouse
// handling have left behind.
#pragma once

#include "ui/KoLabel.h"

struct InspectedLabel : CKoLabel {
    using CKoLabel::autoWidth;
    using CKoLabel::fontDirty;
    using CKoLabel::fontSize;
    using CKoLabel::fontWeight;
    using CKoLabel::hovered;
    using CKoLabel::opaqueBack;
    using CKoLabel::textColor;
    using CKoLabel::underline;
};
