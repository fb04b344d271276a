#include "net/MachineId.h"

#include "app/base/Utils.h"
#include "net/CpuId.h"
#include "net/DiskSerial.h"
#include "net/MacAddress.h"
#include "net/Md5.h"

std::wstring Md5HexOfAnsi(const std::wstring& text) {
    return Md5Hex(ToNarrow(text));
}

std::wstring MakeHardwareId() {
    // At most 35 + 63 + 12 = 110 characters.
    std::wstring source;
    wchar_t cpu[36] = {};
    if (GetCpuIdString(cpu))
        source += cpu;
    wchar_t disk[CDiskIdentifier::kSlotChars] = {};
    if (GetDiskSerial(disk))
        source += disk;
    wchar_t mac[16] = {};
    if (GetMacAddress(mac))
        source += mac;
    return Md5HexOfAnsi(source);
}

std::wstring MakeMacId() {
    wchar_t mac[16] = {};
    if (!GetMacAddress(mac))
        mac[0] = L'\0';
    return Md5HexOfAnsi(mac);
}
