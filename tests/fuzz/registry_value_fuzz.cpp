// The platform browser's "Path" value as RegQueryValueExW may return it: any type,
// any byte size, any contents. Only a string terminated inside the returned bytes
// gives a folder, and nothing past those bytes is read.
#include "app/base/ExternalPageRules.h"
#include "tests/fuzz/FuzzInput.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint32_t type = in.Byte() % 8; // REG_NONE to REG_MULTI_SZ
    const size_t byteSize = in.RestSize();
    // The returned bytes as UTF-16 units, low byte first; an odd last byte has no
    // unit of its own, so reading it would be a read past the buffer.
    std::vector<wchar_t> units(byteSize / 2);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = wchar_t(in.Rest()[2 * i] | in.Rest()[2 * i + 1] << 8);
    const std::wstring folder = RegistryFolderText(units.data(), byteSize, type);
    Require(folder.size() < units.size() || folder.empty());
    Require(folder.find(L'\0') == std::wstring::npos);
    Require(folder.empty() || (byteSize % 2 == 0 && (type == 1 || type == 2)));
    return 0;
}
