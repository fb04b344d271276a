// The MAC address of a network adapter, preferring a physical PCI adapter to
// virtual ones (VPN, virtual machine, tunnel adapters).
#pragma once

#include <windows.h>

#include <iphlpapi.h>

// 12 upper-case hex digits of the chosen adapter's address in the buffer; false
// (buffer untouched) when the adapter list cannot be read or is empty.
bool GetMacAddress(wchar_t (&mac)[16]);

// True for an adapter whose network connection entry names a PCI device
// ("PnpInstanceID" starting with "PCI", any case) and that is wired Ethernet on
// Windows 6 and later, or has "MediaSubType" 1 on older versions.
bool IsPhysicalPciAdapter(const IP_ADAPTER_INFO& adapter);

// The parts above with their system calls handed in, for tests.
using AdaptersInfoFn = DWORD (*)(IP_ADAPTER_INFO* buffer, ULONG* size);
using AdapterFilterFn = bool (*)(const IP_ADAPTER_INFO& adapter);
// GetAdaptersInfo into 648 bytes, once more with the size it asks for on
// ERROR_BUFFER_OVERFLOW; the first adapter the filter accepts, else the first one.
bool GetMacAddressWith(AdaptersInfoFn adaptersInfo, AdapterFilterFn isPhysical, wchar_t (&mac)[16]);
bool IsPhysicalPciAdapterOn(const IP_ADAPTER_INFO& adapter, bool windows6OrLater);
