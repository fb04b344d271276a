// The ANSI conversions in a process whose ANSI code page is UTF-8 (65001, from the
// program's manifest). Windows refuses WC_NO_BEST_FIT_CHARS and MB_PRECOMPOSED
// there with ERROR_INVALID_FLAGS; Wine 8 accepts them, so this program puts the
// Windows rule in front of the two calls through its own import table.
#include "app/base/Utils.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

namespace {

using W2M = int(WINAPI*)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);
using M2W = int(WINAPI*)(UINT, DWORD, LPCCH, int, LPWSTR, int);
W2M realW2M = nullptr;
M2W realM2W = nullptr;
int refused = 0;

bool RefusesFlags(UINT codePage, DWORD flags, DWORD allowed) {
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
    if (!utf8 || (flags & ~allowed) == 0)
        return false;
    ++refused;
    SetLastError(ERROR_INVALID_FLAGS);
    return true;
}

int WINAPI WindowsW2M(UINT cp, DWORD flags, LPCWCH w, int wn, LPSTR m, int mn, LPCCH d, LPBOOL used) {
    return RefusesFlags(cp, flags, WC_ERR_INVALID_CHARS) ? 0 : realW2M(cp, flags, w, wn, m, mn, d, used);
}

int WINAPI WindowsM2W(UINT cp, DWORD flags, LPCCH m, int mn, LPWSTR w, int wn) {
    return RefusesFlags(cp, flags, MB_ERR_INVALID_CHARS) ? 0 : realM2W(cp, flags, m, mn, w, wn);
}

// Points this program's import of `name` at `replacement`; returns the original.
void* ReplaceImport(const char* name, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt =
        reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + rva); dll->Name; ++dll) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0)
                continue;
            DWORD protect = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protect);
            void* original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protect, &protect);
            return original;
        }
    }
    return nullptr;
}

TEST(Utf8CodePage, TextConvertsBothWaysWhenTheFlagsAreRefused) {
    ASSERT_EQ(GetACP(), UINT(CP_UTF8)) << "the manifest did not set the code page";
    realW2M =
        reinterpret_cast<W2M>(ReplaceImport("WideCharToMultiByte", reinterpret_cast<void*>(&WindowsW2M)));
    realM2W =
        reinterpret_cast<M2W>(ReplaceImport("MultiByteToWideChar", reinterpret_cast<void*>(&WindowsM2W)));
    ASSERT_TRUE(realW2M && realM2W);

    const std::wstring text = L"x\u00e9\u4e2d\U0001F600";
    const std::string utf8 = "x\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
    EXPECT_EQ(ToNarrow(text), utf8);
    EXPECT_EQ(ToWide(utf8), text);
    EXPECT_GE(refused, 2) << "the Windows rule never refused a call: the test proves nothing";

    ReplaceImport("WideCharToMultiByte", reinterpret_cast<void*>(realW2M));
    ReplaceImport("MultiByteToWideChar", reinterpret_cast<void*>(realM2W));
}

} // namespace
