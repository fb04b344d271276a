// Which publishers may sign the upgrader the launcher starts: the common names of
// their code-signing certificates and, optionally, the keys of those
// certificates, fixed when the launcher is built.
#pragma once

#include <string>

// True when the signer's name is one of the pinned names, a list separated by
// ";" (two names carry a release over a certificate change). A name must match
// exactly, case included; blanks around a list item are not part of it, and
// empty items pin nothing, so an empty list lets no signer through. A name that
// holds a NUL never passes: read as a C string it would be cut short.
bool IsPinnedSigner(const std::wstring& signerName, const std::wstring& pinnedNames);

// True when no key is pinned (the list has no item), or when keyDigest, the
// SHA-256 of the certificate's DER SubjectPublicKeyInfo in hex, is one of the
// ";"-separated pinned digests (hex case ignored, blanks around items too).
bool IsPinnedKey(const std::wstring& keyDigest, const std::wstring& pinnedKeys);

// What the launcher reads off the certificate that signed the upgrader.
struct SignerFacts {
    std::wstring commonName;  // the subject's CN only (no fallback to OU or O)
    bool codeSigning = false; // its extended key usage names code signing
    std::wstring keyDigest;   // see IsPinnedKey
};

// The whole pin: code signing, a pinned name and, when keys are pinned, a pinned key.
bool IsAcceptedSigner(const SignerFacts& signer, const std::wstring& pinnedNames,
                      const std::wstring& pinnedKeys);
