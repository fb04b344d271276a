// The first disk's serial number, asked from the drivers with device I/O
// controls: SMART, then the SCSI miniport, then the storage query (and on the
// Windows 9x family only a VxD driver that this program does not ship).
#pragma once

#include "net/DiskIdentifier.h"

// Slot 0 of the first method that found any disk, copied into the buffer (at most
// 63 characters and the terminator). False when no method found one.
bool GetDiskSerial(wchar_t (&serial)[CDiskIdentifier::kSlotChars]);

// The individual methods: each appends one slot per disk that answers, in device
// order, and stops adding once all slots are filled.
void ReadSerialsBySmart(CDiskIdentifier& disks);
void ReadSerialsByScsiMiniport(CDiskIdentifier& disks);
void ReadSerialsByStorageQuery(CDiskIdentifier& disks);
// True when the driver could be opened (whatever it reported).
bool ReadSerialsByVxd(CDiskIdentifier& disks);
