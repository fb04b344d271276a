#include "net/DiskSerial.h"

#include "app/base/Handles.h"
#include "net/SerialDecoding.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// I/O control codes and sizes of the driver interfaces. The structures are laid out
// by hand, byte for byte, so neither packing nor header versions can shift them.
constexpr DWORD kSmartGetVersion = 0x00074080;
constexpr DWORD kSmartRcvDriveData = 0x0007C088;
constexpr DWORD kScsiMiniport = 0x0004D008;
constexpr DWORD kScsiMiniportIdentify = 0x001B0501;
constexpr DWORD kStorageQueryProperty = 0x002D1400;
constexpr DWORD kStorageGetMediaSerialNumber = 0x002D0C10;
constexpr DWORD kVxdGetIdentify = 1;

constexpr BYTE kIdeAtapiIdentify = 0xA1;
constexpr BYTE kIdeAtaIdentify = 0xEC;
constexpr size_t kIdentifyBytes = 512;

// GETVERSIONINPARAMS: bVersion, bRevision, bReserved, bIDEDeviceMap, ...
constexpr size_t kGetVersionSize = 24;
constexpr size_t kDeviceMapOffset = 3;
// SENDCMDINPARAMS without its trailing buffer byte: cBufferSize, IDEREGS (features,
// sector count, sector number, cylinder low, cylinder high, drive/head, command,
// reserved), bDriveNumber, reserved.
constexpr size_t kSendCmdInSize = 32;
constexpr size_t kCmdBufferSize = 0, kCmdSectorCount = 5, kCmdDriveHead = 9, kCmdCommand = 10,
                 kCmdDriveNumber = 12;
// SENDCMDOUTPARAMS: cBufferSize and DRIVERSTATUS before the IDENTIFY block.
constexpr size_t kSendCmdOutHeader = 16;
// SRB_IO_CONTROL: HeaderLength, Signature[8], Timeout, ControlCode, ReturnCode, Length.
constexpr size_t kSrbSize = 28;
constexpr size_t kScsiBufferSize = 557;
constexpr size_t kStorageBufferSize = 8192;
// The VxD's record: 4 controller-present bytes, 8 drive-present bytes, 8 IDENTIFY blocks.
constexpr size_t kVxdRecordSize = 4 + 8 + 8 * kIdentifyBytes;

constexpr int kDevices = 16;

void PutLe32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

ScopedHandle OpenDevice(const wchar_t* format, int number, DWORD access) {
    wchar_t name[256];
    swprintf(name, 256, format, number);
    return ScopedHandle(
        CreateFileW(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool Ioctl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) {
    returned = 0;
    return DeviceIoControl(device, code, in, inSize, out, outSize, &returned, nullptr) != FALSE;
}

} // namespace

void ReadSerialsBySmart(CDiskIdentifier& disks) {
    for (int drive = 0; drive < kDevices && !disks.IsFull(); ++drive) {
        ScopedHandle device = OpenDevice(L"\\\\.\\PhysicalDrive%d", drive, GENERIC_READ | GENERIC_WRITE);
        if (!device)
            continue;
        unsigned char version[kGetVersionSize] = {};
        DWORD returned;
        if (!Ioctl(device.Get(), kSmartGetVersion, nullptr, 0, version, sizeof version, returned))
            continue;
        const unsigned deviceMap = version[kDeviceMapOffset];
        if (deviceMap == 0)
            continue;

        unsigned char in[kSendCmdInSize] = {};
        PutLe32(in + kCmdBufferSize, kIdentifyBytes);
        in[kCmdSectorCount] = 1;
        in[kCmdDriveHead] = static_cast<unsigned char>(0xA0 | ((drive & 1) << 4));
        in[kCmdCommand] = ((deviceMap >> drive) & 0x10) ? kIdeAtapiIdentify : kIdeAtaIdentify;
        in[kCmdDriveNumber] = static_cast<unsigned char>(drive);

        unsigned char out[kSendCmdOutHeader + kIdentifyBytes] = {};
        if (Ioctl(device.Get(), kSmartRcvDriveData, in, sizeof in, out, sizeof out, returned))
            disks.AddSerial(IdentifySerialFromBlock(out + kSendCmdOutHeader, kIdentifyBytes));
    }
}

void ReadSerialsByScsiMiniport(CDiskIdentifier& disks) {
    for (int controller = 0; controller < kDevices && !disks.IsFull(); ++controller) {
        ScopedHandle device = OpenDevice(L"\\\\.\\Scsi%d:", controller, GENERIC_READ | GENERIC_WRITE);
        if (!device)
            continue;
        for (int drive = 0; drive < 2 && !disks.IsFull(); ++drive) {
            unsigned char buffer[kScsiBufferSize] = {};
            PutLe32(buffer + 0, kSrbSize);
            std::memcpy(buffer + 4, "SCSIDISK", 8);
            PutLe32(buffer + 12, 10000);
            PutLe32(buffer + 16, kScsiMiniportIdentify);
            PutLe32(buffer + 24, kScsiBufferSize - kSrbSize);
            buffer[kSrbSize + kCmdCommand] = kIdeAtaIdentify;
            buffer[kSrbSize + kCmdDriveNumber] = static_cast<unsigned char>(drive);

            DWORD returned;
            if (!Ioctl(device.Get(), kScsiMiniport, buffer, kSrbSize + kSendCmdInSize, buffer, sizeof buffer,
                       returned))
                continue;
            const unsigned char* identify = buffer + kSrbSize + kSendCmdOutHeader;
            // A drive that is really there has a model number (word 27 on).
            if (identify[54] != 0)
                disks.AddSerial(IdentifySerialFromBlock(identify, kIdentifyBytes));
        }
    }
}

void ReadSerialsByStorageQuery(CDiskIdentifier& disks) {
    for (int drive = 0; drive < kDevices && !disks.IsFull(); ++drive) {
        ScopedHandle device = OpenDevice(L"\\\\.\\PhysicalDrive%d", drive, 0);
        if (!device)
            continue;

        bool added = false;
        // STORAGE_PROPERTY_QUERY { StorageDeviceProperty, PropertyStandardQuery }.
        unsigned char query[12] = {};
        unsigned char out[kStorageBufferSize] = {};
        DWORD returned;
        if (Ioctl(device.Get(), kStorageQueryProperty, query, sizeof query, out, sizeof out, returned)) {
            const std::wstring serial = SerialFromStorageDescriptor(out, returned);
            if (StartsWithAsciiAlnum(serial))
                added = disks.AddSerial(serial);
        }
        if (!added) {
            std::memset(out, 0, sizeof out);
            if (Ioctl(device.Get(), kStorageGetMediaSerialNumber, nullptr, 0, out, sizeof out, returned)) {
                const std::wstring serial = SerialFromMediaSerialData(out, returned);
                if (StartsWithAsciiAlnum(serial))
                    disks.AddSerial(serial);
            }
        }
    }
}

bool ReadSerialsByVxd(CDiskIdentifier& disks) {
    HANDLE process = GetCurrentProcess();
    SetPriorityClass(process, REALTIME_PRIORITY_CLASS);
    ScopedHandle driver(
        CreateFileW(L"\\\\.\\IDE21201.VXD", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    const bool opened = static_cast<bool>(driver);
    if (opened) {
        unsigned char record[kVxdRecordSize] = {};
        DWORD returned;
        Ioctl(driver.Get(), kVxdGetIdentify, nullptr, 0, record, sizeof record, returned);
        driver.Reset();
        for (int slot = 0; slot < 8 && !disks.IsFull(); ++slot) {
            if (record[4 + slot] && record[slot / 2])
                disks.AddSerial(IdentifySerialFromBlock(record + 12 + slot * kIdentifyBytes, kIdentifyBytes));
        }
    }
    SetPriorityClass(process, NORMAL_PRIORITY_CLASS);
    return opened;
}

bool GetDiskSerial(wchar_t (&serial)[CDiskIdentifier::kSlotChars]) {
    CDiskIdentifier disks;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    const bool nt = !GetVersionExW(&version) || version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    if (!nt) {
        for (int attempt = 0; attempt < 10 && !ReadSerialsByVxd(disks); ++attempt) {
        }
    } else {
        ReadSerialsBySmart(disks);
        if (disks.Count() == 0)
            ReadSerialsByScsiMiniport(disks);
        if (disks.Count() == 0)
            ReadSerialsByStorageQuery(disks);
    }
    return disks.CopyFirst(serial);
}
