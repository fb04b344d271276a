// The PNG chunk walker on any bytes: it reads only what it was given, and what it
// reports of a header and a palette is possible.
#include "tests/fuzz/FuzzInput.h"
#include "ui/PngInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const PngInfo info = ReadPngInfo(data, size);
    Require(!info.valid || (info.width > 0 && info.height > 0));
    Require(info.palette.size() <= 256);
    if (!info.palette.empty()) {
        // The last four bytes as a colour to look up (the same bytes the walker saw).
        FuzzInput tail(data + (size >= 4 ? size - 4 : 0), size >= 4 ? 4 : 0);
        const PngColor c{tail.Byte(), tail.Byte(), tail.Byte(), tail.Byte()};
        const int index = PaletteIndexOf(info.palette, c);
        Require(index >= 0 && size_t(index) < info.palette.size());
    }
    return 0;
}
