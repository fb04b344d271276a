// Host names for test builds of the launcher's code that talk to the platform
// simulator: instead of the hosts fixed at configure time, each host is read from
// the environment that the simulator wrapper exports (GANTRY_SIM_WEB, ...), so the
// simulator can run on free ports. Included by app/base/Endpoints.cpp in those builds only.
#pragma once

#include <string>

// The variable's value ("127.0.0.1:port"), or "sim-host-missing.invalid" when unset.
std::wstring GantrySimHost(const wchar_t* variable);

#define GANTRY_PLATFORM_WEB_HOST GantrySimHost(L"GANTRY_SIM_WEB")
#define GANTRY_PLATFORM_LOGIN_HOST GantrySimHost(L"GANTRY_SIM_LOGIN")
#define GANTRY_PLATFORM_GAME_HOST GantrySimHost(L"GANTRY_SIM_GAME")
#define GANTRY_UPDATE_HOST GantrySimHost(L"GANTRY_SIM_UPDATE")
#define GANTRY_BEACON_HOST GantrySimHost(L"GANTRY_SIM_BEACON")
#define GANTRY_UNION_STATS_HOST GantrySimHost(L"GANTRY_SIM_UNION")

// The simulator's ports speak http (and, started with --tls, https too): these
// builds reach them over http.
#define GANTRY_PLATFORM_WEB_SCHEME L"http"
#define GANTRY_PLATFORM_LOGIN_SCHEME L"http"
#define GANTRY_PLATFORM_GAME_SCHEME L"http"
#define GANTRY_UPDATE_SCHEME L"http"
#define GANTRY_BEACON_SCHEME L"http"
#define GANTRY_UNION_STATS_SCHEME L"http"
