// Choosing the adapter whose address becomes the MAC text: the two-call buffer
// protocol of GetAdaptersInfo (with fakes) and the PCI test against real
// registry entries.
#include "IdentTestSupport.h"

#include "net/MacAddress.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace identtest;

struct FakeAdapter {
    std::string name;
    UINT type;
    unsigned char address[6];
};

// What the fake GetAdaptersInfo returns on its n-th call, and the sizes it was given.
struct FakeState {
    std::vector<std::vector<FakeAdapter>> listPerCall;
    std::vector<ULONG> sizesGiven;
    DWORD failWith = ERROR_SUCCESS;
} g_fake;

DWORD FakeAdaptersInfo(IP_ADAPTER_INFO* buffer, ULONG* size) {
    const size_t call = g_fake.sizesGiven.size();
    g_fake.sizesGiven.push_back(*size);
    if (g_fake.failWith != ERROR_SUCCESS)
        return g_fake.failWith;
    const auto& list = g_fake.listPerCall[std::min(call, g_fake.listPerCall.size() - 1)];
    if (list.empty())
        return ERROR_NO_DATA;
    const ULONG needed = ULONG(list.size() * sizeof(IP_ADAPTER_INFO));
    if (*size < needed) {
        *size = needed;
        return ERROR_BUFFER_OVERFLOW;
    }
    std::memset(buffer, 0, needed);
    for (size_t i = 0; i < list.size(); ++i) {
        IP_ADAPTER_INFO& a = buffer[i];
        a.Next = i + 1 < list.size() ? &buffer[i + 1] : nullptr;
        std::strncpy(a.AdapterName, list[i].name.c_str(), sizeof a.AdapterName - 1);
        a.Type = list[i].type;
        a.AddressLength = 6;
        std::memcpy(a.Address, list[i].address, 6);
    }
    return ERROR_SUCCESS;
}

// Accepts the adapter whose name is "{PHYS}".
bool NameIsPhys(const IP_ADAPTER_INFO& a) {
    return std::strcmp(a.AdapterName, "{PHYS}") == 0;
}

bool NoneIsPhysical(const IP_ADAPTER_INFO&) {
    return false;
}

void Reset(std::vector<std::vector<FakeAdapter>> lists) {
    g_fake = FakeState();
    g_fake.listPerCall = std::move(lists);
}

const FakeAdapter kVirtual = {"{VIRT}", MIB_IF_TYPE_ETHERNET, {0x0A, 0x00, 0x27, 0x00, 0x00, 0x01}};
const FakeAdapter kPhys = {"{PHYS}", MIB_IF_TYPE_ETHERNET, {0x00, 0x1B, 0x21, 0xAB, 0xCD, 0xEF}};

TEST(GetMacAddress, FirstCallUses648BytesThenTheSizeAskedFor) {
    Reset({{kVirtual, kPhys}});
    wchar_t mac[16] = {};
    ASSERT_TRUE(GetMacAddressWith(FakeAdaptersInfo, NameIsPhys, mac));
    EXPECT_EQ(std::wstring(mac), L"001B21ABCDEF");
    ASSERT_EQ(g_fake.sizesGiven.size(), 2u);
    EXPECT_EQ(g_fake.sizesGiven[0], 648u);
    EXPECT_EQ(g_fake.sizesGiven[1], 2 * sizeof(IP_ADAPTER_INFO));
}

TEST(GetMacAddress, NoPhysicalAdapterFallsBackToTheFirst) {
    Reset({{kVirtual, kPhys}});
    wchar_t mac[16] = {};
    ASSERT_TRUE(GetMacAddressWith(FakeAdaptersInfo, NoneIsPhysical, mac));
    EXPECT_EQ(std::wstring(mac), L"0A0027000001");
}

TEST(GetMacAddress, ListGrowingBetweenTheCallsGivesNoMac) {
    Reset({{kVirtual, kPhys}, {kVirtual, kPhys, kVirtual}});
    wchar_t mac[16] = L"untouched";
    EXPECT_FALSE(GetMacAddressWith(FakeAdaptersInfo, NameIsPhys, mac));
    EXPECT_EQ(std::wstring(mac), L"untouched");
    EXPECT_EQ(g_fake.sizesGiven.size(), 2u); // one retry, no loop
}

TEST(GetMacAddress, FailuresGiveNoMac) {
    wchar_t mac[16] = L"untouched";
    Reset({{}});
    EXPECT_FALSE(GetMacAddressWith(FakeAdaptersInfo, NameIsPhys, mac)); // no adapter at all
    Reset({{kPhys}});
    g_fake.failWith = ERROR_NOT_SUPPORTED;
    EXPECT_FALSE(GetMacAddressWith(FakeAdaptersInfo, NameIsPhys, mac));
    EXPECT_EQ(std::wstring(mac), L"untouched");
}

TEST(GetMacAddress, OneSmallAdapterNeedsNoSecondCall) {
    // sizeof(IP_ADAPTER_INFO) is 640 for 32-bit programs, so one record fits 648
    // bytes there; 64-bit records are larger and need the second call.
    Reset({{kPhys}});
    wchar_t mac[16] = {};
    ASSERT_TRUE(GetMacAddressWith(FakeAdaptersInfo, NameIsPhys, mac));
    EXPECT_EQ(std::wstring(mac), L"001B21ABCDEF");
    EXPECT_EQ(g_fake.sizesGiven.size(), sizeof(IP_ADAPTER_INFO) <= 648 ? 1u : 2u);
}

TEST(GetMacAddress, RealAdapterListGivesTwelveUpperHexDigits) {
    wchar_t mac[16] = {};
    if (!GetMacAddress(mac))
        GTEST_SKIP() << "no network adapter on this machine";
    const std::wstring s = mac;
    ASSERT_EQ(s.size(), 12u);
    for (wchar_t c : s)
        EXPECT_TRUE((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'));
}

// Registry entries of a network connection, as the network class keeps them.
const wchar_t kNetworkClass[] = L"System\\CurrentControlSet\\Control\\Network\\"
                                L"{4D36E972-E325-11CE-BFC1-08002BE10318}\\";

IP_ADAPTER_INFO Adapter(const char* name, UINT type) {
    IP_ADAPTER_INFO a = {};
    std::strncpy(a.AdapterName, name, sizeof a.AdapterName - 1);
    a.Type = type;
    return a;
}

class PciAdapterTest : public ::testing::Test {
protected:
    // A connection entry for a made-up adapter GUID.
    std::unique_ptr<TempHklmKey> Connection(const std::wstring& guid) {
        return std::make_unique<TempHklmKey>(kNetworkClass + guid + L"\\Connection");
    }
};

TEST_F(PciAdapterTest, PnpInstanceIdMustStartWithPci) {
    auto wired = Connection(L"{11111111-AAAA-4000-8000-000000000001}");
    ASSERT_TRUE(wired->Ok());
    ASSERT_TRUE(
        wired->SetString(L"PnpInstanceID", L"PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086&REV_02\\3&61AAA01&0&18"));
    auto lower = Connection(L"{11111111-AAAA-4000-8000-000000000002}");
    ASSERT_TRUE(lower->SetString(L"PnpInstanceID", L"pci\\ven_10ec&dev_8168"));
    auto virt = Connection(L"{11111111-AAAA-4000-8000-000000000003}");
    ASSERT_TRUE(virt->SetString(L"PnpInstanceID", L"ROOT\\NET\\0000"));
    auto shortId = Connection(L"{11111111-AAAA-4000-8000-000000000004}");
    ASSERT_TRUE(shortId->SetString(L"PnpInstanceID", L"PC"));
    auto noValue = Connection(L"{11111111-AAAA-4000-8000-000000000005}");
    ASSERT_TRUE(noValue->Ok());

    EXPECT_TRUE(IsPhysicalPciAdapterOn(Adapter("{11111111-AAAA-4000-8000-000000000001}", 6), true));
    EXPECT_TRUE(IsPhysicalPciAdapterOn(Adapter("{11111111-AAAA-4000-8000-000000000002}", 6), true));
    EXPECT_FALSE(IsPhysicalPciAdapterOn(Adapter("{11111111-AAAA-4000-8000-000000000003}", 6), true));
    EXPECT_FALSE(IsPhysicalPciAdapterOn(Adapter("{11111111-AAAA-4000-8000-000000000004}", 6), true));
    EXPECT_FALSE(IsPhysicalPciAdapterOn(Adapter("{11111111-AAAA-4000-8000-000000000005}", 6), true));
    EXPECT_FALSE(IsPhysicalPciAdapterOn(Adapter("{11111111-AAAA-4000-8000-0000000000FF}", 6), true));
    // The real test for the running Windows version (6.x or later here) agrees.
    EXPECT_TRUE(IsPhysicalPciAdapter(Adapter("{11111111-AAAA-4000-8000-000000000001}", 6)));
}

TEST_F(PciAdapterTest, Windows6NeedsWiredEthernetOlderNeedsMediaSubTypeOne) {
    auto key = Connection(L"{22222222-BBBB-4000-8000-000000000001}");
    ASSERT_TRUE(key->SetString(L"PnpInstanceID", L"PCI\\VEN_168C&DEV_002B"));
    const IP_ADAPTER_INFO wifi = Adapter("{22222222-BBBB-4000-8000-000000000001}", IF_TYPE_IEEE80211);
    const IP_ADAPTER_INFO wired = Adapter("{22222222-BBBB-4000-8000-000000000001}", MIB_IF_TYPE_ETHERNET);
    EXPECT_FALSE(IsPhysicalPciAdapterOn(wifi, true));
    EXPECT_TRUE(IsPhysicalPciAdapterOn(wired, true));

    // Older versions ignore the type and look at MediaSubType.
    EXPECT_FALSE(IsPhysicalPciAdapterOn(wifi, false)); // value missing
    ASSERT_TRUE(key->SetDword(L"MediaSubType", 2));
    EXPECT_FALSE(IsPhysicalPciAdapterOn(wired, false));
    ASSERT_TRUE(key->SetDword(L"MediaSubType", 1));
    EXPECT_TRUE(IsPhysicalPciAdapterOn(wifi, false));
}

TEST_F(PciAdapterTest, WirelessPciIsPassedOverForALaterWiredPciAdapter) {
    auto wifiKey = Connection(L"{33333333-CCCC-4000-8000-000000000001}");
    ASSERT_TRUE(wifiKey->SetString(L"PnpInstanceID", L"PCI\\VEN_168C&DEV_002B"));
    auto wiredKey = Connection(L"{33333333-CCCC-4000-8000-000000000002}");
    ASSERT_TRUE(wiredKey->SetString(L"PnpInstanceID", L"PCI\\VEN_8086&DEV_100E"));
    Reset({{
        {"{33333333-CCCC-4000-8000-000000000009}", MIB_IF_TYPE_ETHERNET, {1, 1, 1, 1, 1, 1}}, // no entry
        {"{33333333-CCCC-4000-8000-000000000001}", IF_TYPE_IEEE80211, {2, 2, 2, 2, 2, 2}},
        {"{33333333-CCCC-4000-8000-000000000002}",
         MIB_IF_TYPE_ETHERNET,
         {0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5}},
    }});
    wchar_t mac[16] = {};
    ASSERT_TRUE(GetMacAddressWith(FakeAdaptersInfo, IsPhysicalPciAdapter, mac));
    EXPECT_EQ(std::wstring(mac), L"A0B1C2D3E4F5");
}

TEST_F(PciAdapterTest, OverlongAdapterNameIsHandledSafely) {
    // A name that fills its field without a terminator: no key, no overflow.
    IP_ADAPTER_INFO a = {};
    std::memset(a.AdapterName, 'A', sizeof a.AdapterName);
    a.Type = MIB_IF_TYPE_ETHERNET;
    EXPECT_FALSE(IsPhysicalPciAdapterOn(a, true));
}

} // namespace
