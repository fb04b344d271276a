// The machine ids on a real (Wine) machine: stable across calls and processes,
// and dependent on the processor signature that only an unrestricted process gets.
#include "IdentTestSupport.h"

#include "app/base/Utils.h"
#include "net/CpuId.h"
#include "net/DiskSerial.h"
#include "net/MacAddress.h"
#include "net/MachineId.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

namespace {

using namespace identtest;

bool IsLowerHex32(const std::wstring& s) {
    if (s.size() != 32)
        return false;
    for (wchar_t c : s)
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f')))
            return false;
    return true;
}

std::string Narrow(const std::wstring& s) {
    return std::string(s.begin(), s.end()); // the ids are ASCII
}

TEST(CpuId, SignatureTextAndAffinityRestored) {
    DWORD_PTR before = 0, system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &before, &system));
    wchar_t text[36];
    ASSERT_TRUE(GetCpuIdString(text));
    const std::wstring s = text;
    ASSERT_EQ(s.size(), 35u);
    for (size_t i = 0; i < s.size(); ++i) {
        if (i == 8 || i == 17 || i == 26)
            EXPECT_EQ(s[i], L'-') << i;
        else
            EXPECT_TRUE(iswxdigit(s[i]) && !iswlower(s[i])) << i;
    }
    DWORD_PTR after = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &after, &system));
    EXPECT_EQ(after, before);

    // Cached: a restricted process would get no text, but the first success
    // is kept for the process.
    if ((system & (system - 1)) != 0 && SetProcessAffinityMask(GetCurrentProcess(), 1)) {
        wchar_t again[36] = {};
        const bool ok = GetCpuIdString(again);
        SetProcessAffinityMask(GetCurrentProcess(), before);
        EXPECT_TRUE(ok);
        EXPECT_EQ(std::wstring(again), s);
    }
}

TEST(MachineId, StableAcrossCallsAndLowerHex) {
    const std::wstring hw1 = MakeHardwareId(), hw2 = MakeHardwareId();
    const std::wstring mac1 = MakeMacId(), mac2 = MakeMacId();
    EXPECT_TRUE(IsLowerHex32(hw1)) << Narrow(hw1);
    EXPECT_TRUE(IsLowerHex32(mac1)) << Narrow(mac1);
    EXPECT_EQ(hw1, hw2);
    EXPECT_EQ(mac1, mac2);
    // The comparison used across processes accepts this id and no other.
    EXPECT_TRUE(IsThisMachinesHardwareId(hw1));
    EXPECT_FALSE(IsThisMachinesHardwareId(mac1));
    EXPECT_FALSE(IsThisMachinesHardwareId(L"d41d8cd98f00b204e9800998ecf8427e"));
}

TEST(MachineId, IdsAreMd5OfTheFactsInOrder) {
    wchar_t cpu[36] = {}, disk[64] = {}, mac[16] = {};
    std::wstring source;
    if (GetCpuIdString(cpu))
        source += cpu;
    if (GetDiskSerial(disk))
        source += disk;
    const bool haveMac = GetMacAddress(mac);
    if (haveMac)
        source += mac;
    EXPECT_EQ(MakeHardwareId(), Md5HexOfAnsi(source));
    EXPECT_EQ(MakeMacId(), Md5HexOfAnsi(haveMac ? mac : L""));
    // With a processor signature present the id is not that of an empty text.
    EXPECT_NE(MakeHardwareId(), L"d41d8cd98f00b204e9800998ecf8427e");
}

TEST(MachineId, AnsiFormIsHashed) {
    // Characters outside the code page hash as their ANSI replacement, exactly
    // as ToNarrow gives them.
    EXPECT_EQ(Md5HexOfAnsi(L"abc"), L"900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5HexOfAnsi(L""), L"d41d8cd98f00b204e9800998ecf8427e");
    const std::wstring odd = std::wstring(L"A") + wchar_t(0xFF80);
    EXPECT_EQ(Md5HexOfAnsi(odd), Md5HexOfAnsi(ToWide(ToNarrow(odd))));
}

TEST(MachineId, SameIdsInAnotherProcess) {
    ScratchDir dir;
    const std::wstring out = dir.Path() + L"ids.txt";
    ASSERT_EQ(RunHelper(L"ids \"" + out + L"\""), 0);
    const std::string hwid = ValueOf(out, "hwid");
    EXPECT_TRUE(IsThisMachinesHardwareId(std::wstring(hwid.begin(), hwid.end()))) << hwid;
    EXPECT_EQ(ValueOf(out, "macid"), Narrow(MakeMacId()));
    wchar_t cpu[36];
    ASSERT_TRUE(GetCpuIdString(cpu));
    const std::string other = ValueOf(out, "cpu");
    ASSERT_EQ(other.rfind("1:", 0), 0u) << other;
    EXPECT_EQ(Narrow(WithoutApicId(std::wstring(other.begin() + 2, other.end()))),
              Narrow(WithoutApicId(cpu)));
}

TEST(MachineId, RestrictedProcessHasNoCpuStringAndAnotherHardwareId) {
    DWORD_PTR mask = 0, system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &mask, &system));
    if ((system & (system - 1)) == 0)
        GTEST_SKIP() << "one processor only: no process can be restricted";
    ScratchDir dir;
    // Restricted to the second processor only, from the first instruction.
    const DWORD_PTR second = system & ~(system & (~system + 1));
    const std::wstring restricted = dir.Path() + L"restricted.txt";
    ASSERT_EQ(RunHelper(L"ids \"" + restricted + L"\"", second & (~second + 1)), 0);
    EXPECT_EQ(ValueOf(restricted, "cpu"), "0:");
    EXPECT_NE(ValueOf(restricted, "hwid"), Narrow(MakeHardwareId()));
    EXPECT_EQ(ValueOf(restricted, "macid"), Narrow(MakeMacId()));

    // Restricted to the first processor: still restricted, still no signature.
    const std::wstring first = dir.Path() + L"first.txt";
    ASSERT_EQ(RunHelper(L"ids \"" + first + L"\"", 1), 0);
    EXPECT_EQ(ValueOf(first, "cpu"), "0:");
    EXPECT_EQ(ValueOf(first, "hwid"), ValueOf(restricted, "hwid"));
}

} // namespace
