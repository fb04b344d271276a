#include "net/NetCafeTable.h"

namespace {

constexpr NetCafeProbe K = NetCafeProbe::RegistryKey;
constexpr NetCafeProbe P = NetCafeProbe::Process;

// Several products share a code; the codes have gaps. The last three keys carry a
// leading backslash, which the registry refuses, so those rows never match; they
// are kept exactly as the list has always had them.
const NetCafeRow kRows[] = {
    {K, L"SOFTWARE\\Hintsoft\\PubwinClient", 0},
    {K, L"SOFTWARE\\Hintsoft\\pubwin", 0},
    {K, L"SOFTWARE\\Sicent\\wx2004Clt", 1},
    {K, L"SOFTWARE\\MpSoft\\smenu", 2},
    {K, L"SOFTWARE\\Microsoft\\jingzu", 4},
    {K, L"SOFTWARE\\iCafe8", 6},
    {K, L"SOFTWARE\\Goyoo\\i8desk", 7},
    {K, L"SOFTWARE\\Hintsoft1\\XunShanPro", 8},
    {K, L"SOFTWARE\\SyncExpertNetBar", 9},
    {K, L"SOFTWARE\\EYOOCLIENTSTATUS", 11},
    {K, L"SOFTWARE\\Richtech", 12},
    {K, L"SOFTWARE\\杭州顺网信息技术有限公司\\网维大师蝌蚪娱乐平台", 14},
    {K, L"SOFTWARE\\Sicent\\WxAdv", 15},
    {K, L"SOFTWARE\\Grabsun\\Netsense", 16},
    {P, L"娱乐中心.exe", 17},
    {P, L"网吧游戏外挂总管管理器.exe", 19},
    {P, L"QQmenu.exe", 20},
    {P, L"Txwu.exe", 20},
    {P, L"网吧游戏管理专家2006.exe", 21},
    {P, L"connetbar.exe", 22},
    {K, L"SOFTWARE\\MpSoft\\scon", 24},
    {P, L"wbc.exe", 26},
    {P, L"sunflowerTools.exe", 27},
    {K, L"SOFTWARE\\MpSoft\\VOD", 30},
    {P, L"LBSserver.exe", 31},
    {K, L"\\QvodNetBar\\install", 32},
    {P, L"TLnbLdr.exe", 33},
    {P, L"DeepinStatus.exe", 35},
    {K, L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\网升游戏更新客户端", 36},
    {K, L"\\SOFTWARE\\www.netbar-soft.example", 37},
};

} // namespace

const NetCafeRow* NetCafeRows(size_t& count) {
    count = sizeof kRows / sizeof kRows[0];
    return kRows;
}

int ScanNetCafeRows(NetCafeKeyProbe keyExists, NetCafeProcessProbe processRunning, void* context) {
    for (const NetCafeRow& row : kRows) {
        const bool present = row.kind == NetCafeProbe::RegistryKey
                                 ? keyExists && keyExists(row.name, context)
                                 : processRunning && processRunning(row.name, context);
        if (present)
            return row.code;
    }
    return -1;
}
