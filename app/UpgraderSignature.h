// The check a downloaded upgrader passes before it is started: a valid
// Authenticode signature by a code-signing certificate whose common name is one
// of the names pinned at build time (UPGRADER_SIGNER) and, when keys are pinned
// (UPGRADER_SIGNER_KEYS), whose public key is one of them; so a file served by
// anyone else on the way is never run.
#pragma once

#include <windows.h>

#include <string>

// file: the upgrader held open for reading (the check reads that very file); path:
// its name. WinVerifyTrust with the generic verify action, no UI and revocation
// data from the cache only (an offline player is not held up), then the signer
// certificate (see IsAcceptedSigner) against the pins. Any failure: false.
bool IsTrustedUpgrader(HANDLE file, const std::wstring& path, const std::wstring& pinnedNames,
                       const std::wstring& pinnedKeys);
// The same against the pins of this build.
bool IsTrustedUpgrader(HANDLE file, const std::wstring& path);
