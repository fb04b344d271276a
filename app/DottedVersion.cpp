#include "app/DottedVersion.h"

std::wstring DottedVersion::ToString() const {
    return std::to_wstring(parts[0]) + L"." + std::to_wstring(parts[1]) + L"." + std::to_wstring(parts[2]) +
           L"." + std::to_wstring(parts[3]);
}

std::optional<DottedVersion> ParseDottedVersion(const std::wstring& text) {
    DottedVersion version;
    size_t part = 0;
    uint32_t value = 0;
    bool digits = false; // the current part has at least one digit
    for (const wchar_t c : text) {
        if (c == L'.') {
            if (!digits || part == 3)
                return std::nullopt;
            version.parts[part++] = static_cast<uint16_t>(value);
            value = 0;
            digits = false;
            continue;
        }
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - L'0');
        if (value > 65535) // checked at every digit, so it never overflows
            return std::nullopt;
        digits = true;
    }
    if (!digits)
        return std::nullopt;
    version.parts[part] = static_cast<uint16_t>(value);
    return version;
}

int CompareVersions(const DottedVersion& a, const DottedVersion& b) {
    for (size_t i = 0; i < a.parts.size(); ++i) {
        if (a.parts[i] != b.parts[i])
            return a.parts[i] < b.parts[i] ? -1 : 1;
    }
    return 0;
}
