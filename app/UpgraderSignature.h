// The check a downloaded upgrader passes before it is started: a valid
// Authenticode signature whose signer is one of the names pinned at build time
// (UPGRADER_SIGNER), so a file served by anyone else on the way is never run.
#pragma once

#include <windows.h>

#include <string>

// file: the upgrader held open for reading (the check reads that very file); path:
// its name. WinVerifyTrust with the generic verify action, no UI and revocation
// data from the cache only (an offline player is not held up), then the signer
// certificate's simple display name against the pinned list. Any failure: false.
bool IsTrustedUpgrader(HANDLE file, const std::wstring& path);
