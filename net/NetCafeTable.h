// The built-in list of net-café products: registry keys under HKEY_LOCAL_MACHINE
// and process names they leave behind, each with a product code. The scan over
// the list is pure, with the two probes handed in, so its order and its stop at
// the first hit can be tested without a registry or a process list.
#pragma once

#include <cstddef>

enum class NetCafeProbe { RegistryKey, Process };

struct NetCafeRow {
    NetCafeProbe kind;
    const wchar_t* name; // key path as stored, or the executable name
    int code;
};

// The rows in the order they are tested.
const NetCafeRow* NetCafeRows(size_t& count);

using NetCafeKeyProbe = bool (*)(const wchar_t* keyPath, void* context);
using NetCafeProcessProbe = bool (*)(const wchar_t* exeName, void* context);

// The code of the first row, in table order, whose probe answers true; -1 when
// none does. Rows after the first hit are not probed.
int ScanNetCafeRows(NetCafeKeyProbe keyExists, NetCafeProcessProbe processRunning, void* context);
