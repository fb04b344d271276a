// The scan over the built-in product list: order, first hit wins, shared codes,
// and how many process snapshots a clean machine costs.
#include "net/NetCafeTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A fake machine: the keys and processes present, and a log of every probe.
struct Machine {
    std::set<std::wstring> keys;
    std::set<std::wstring> processes;
    std::vector<std::wstring> probed;
    int processProbes = 0;
};

bool FakeKey(const wchar_t* path, void* context) {
    auto* m = static_cast<Machine*>(context);
    m->probed.push_back(path);
    return m->keys.count(path) > 0;
}

bool FakeProcess(const wchar_t* name, void* context) {
    auto* m = static_cast<Machine*>(context);
    m->probed.push_back(name);
    ++m->processProbes;
    return m->processes.count(name) > 0;
}

int Scan(Machine& m) {
    return ScanNetCafeRows(FakeKey, FakeProcess, &m);
}

TEST(NetCafeScan, CleanMachineProbesEveryRowOnce) {
    Machine m;
    EXPECT_EQ(Scan(m), -1);
    size_t count = 0;
    const NetCafeRow* rows = NetCafeRows(count);
    ASSERT_EQ(count, 30u);
    ASSERT_EQ(m.probed.size(), 30u);
    for (size_t i = 0; i < count; ++i)
        EXPECT_EQ(m.probed[i], rows[i].name) << "row " << i + 1;
    EXPECT_EQ(m.processProbes, 11);
}

TEST(NetCafeScan, EarlierRowWinsAndLaterRowsAreNotProbed) {
    Machine m;
    m.keys = {L"SOFTWARE\\Hintsoft\\pubwin", L"SOFTWARE\\iCafe8"};
    EXPECT_EQ(Scan(m), 0);
    EXPECT_EQ(m.probed.size(), 2u);
    EXPECT_EQ(m.processProbes, 0);
}

struct Hit {
    std::wstring present;
    bool isProcess;
    int code;
};

TEST(NetCafeScan, CodesOfSingleProducts) {
    const Hit hits[] = {
        {L"SOFTWARE\\Hintsoft\\PubwinClient", false, 0},
        {L"SOFTWARE\\Sicent\\wx2004Clt", false, 1},
        {L"SOFTWARE\\iCafe8", false, 6},
        {L"SOFTWARE\\杭州顺网信息技术有限公司\\网维大师蝌蚪娱乐平台", false, 14},
        {L"SOFTWARE\\Grabsun\\Netsense", false, 16},
        {L"娱乐中心.exe", true, 17},
        {L"网吧游戏外挂总管管理器.exe", true, 19},
        {L"QQmenu.exe", true, 20},
        {L"Txwu.exe", true, 20},
        {L"网吧游戏管理专家2006.exe", true, 21},
        {L"SOFTWARE\\MpSoft\\scon", false, 24},
        {L"SOFTWARE\\MpSoft\\VOD", false, 30},
        {L"\\QvodNetBar\\install", false, 32},
        {L"DeepinStatus.exe", true, 35},
        {L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\网升游戏更新客户端", false, 36},
    };
    for (const Hit& h : hits) {
        Machine m;
        (h.isProcess ? m.processes : m.keys).insert(h.present);
        EXPECT_EQ(Scan(m), h.code) << std::string(h.present.begin(), h.present.end());
    }
}

TEST(NetCafeScan, ProcessNamesAreExactAndKeysAreNotProcesses) {
    Machine lower;
    lower.processes = {L"qqmenu.exe"};
    EXPECT_EQ(Scan(lower), -1);
    Machine wrongKind;
    wrongKind.keys = {L"QQmenu.exe"}; // a key of that name is not the process
    EXPECT_EQ(Scan(wrongKind), -1);
}

TEST(NetCafeScan, LastRowIsABackslashSoftwareKey) {
    size_t count = 0;
    const NetCafeRow* rows = NetCafeRows(count);
    const std::wstring last = rows[count - 1].name;
    EXPECT_EQ(last.rfind(L"\\SOFTWARE\\", 0), 0u);
    EXPECT_GT(last.size(), std::wstring(L"\\SOFTWARE\\").size());
    EXPECT_EQ(rows[count - 1].code, 37);
    Machine m;
    m.keys = {last};
    EXPECT_EQ(Scan(m), 37);
}

} // namespace
