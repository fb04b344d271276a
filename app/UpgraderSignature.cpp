#include "app/UpgraderSignature.h"

#include "GantrySigner.h"
#include "app/SignerPin.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

namespace {

// The subject's common name only, whole: an embedded NUL stays in the string,
// so the pin refuses it instead of reading the name cut short.
std::wstring CommonName(PCCERT_CONTEXT cert) {
    const DWORD size =
        CertGetNameStringW(cert, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(szOID_COMMON_NAME), nullptr, 0);
    if (size <= 1)
        return std::wstring();
    std::vector<wchar_t> name(size);
    const DWORD written = CertGetNameStringW(cert, CERT_NAME_ATTR_TYPE, 0,
                                             const_cast<char*>(szOID_COMMON_NAME), name.data(), size);
    if (written != size)
        return std::wstring();
    return std::wstring(name.data(), size - 1);
}

// True when the certificate's own extended key usage extension names code signing
// (a certificate without the extension is good for anything: not enough here).
bool HasCodeSigningUsage(PCCERT_CONTEXT cert) {
    DWORD size = 0;
    if (!CertGetEnhancedKeyUsage(cert, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, nullptr, &size) || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* usage = reinterpret_cast<CERT_ENHKEY_USAGE*>(buffer.data());
    if (!CertGetEnhancedKeyUsage(cert, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, usage, &size))
        return false;
    for (DWORD i = 0; i < usage->cUsageIdentifier; ++i) {
        if (strcmp(usage->rgpszUsageIdentifier[i], szOID_PKIX_KP_CODE_SIGNING) == 0)
            return true;
    }
    return false;
}

// SHA-256 of the DER SubjectPublicKeyInfo, lower-case hex (what openssl prints
// for "openssl pkey -pubin -outform der | openssl dgst -sha256").
std::wstring KeyDigest(PCCERT_CONTEXT cert) {
    BYTE* der = nullptr;
    DWORD derSize = 0;
    if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, &cert->pCertInfo->SubjectPublicKeyInfo,
                             CRYPT_ENCODE_ALLOC_FLAG, nullptr, &der, &derSize))
        return std::wstring();
    BYTE hash[32] = {};
    DWORD hashSize = sizeof hash;
    const BOOL hashed = CryptHashCertificate2(L"SHA256", 0, nullptr, der, derSize, hash, &hashSize);
    LocalFree(der);
    if (!hashed || hashSize != sizeof hash)
        return std::wstring();
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring hex;
    for (BYTE b : hash) {
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
    }
    return hex;
}

// What the pin looks at, read off the leaf certificate of a successful verification.
bool ReadSigner(HANDLE state, SignerFacts& facts) {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
    CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    CRYPT_PROVIDER_CERT* cert = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
    if (!cert || !cert->pCert)
        return false;
    facts.commonName = CommonName(cert->pCert);
    facts.codeSigning = HasCodeSigningUsage(cert->pCert);
    facts.keyDigest = KeyDigest(cert->pCert);
    return true;
}

} // namespace

bool IsTrustedUpgrader(HANDLE file, const std::wstring& path, const std::wstring& pinnedNames,
                       const std::wstring& pinnedKeys) {
    WINTRUST_FILE_INFO fileInfo = {};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    // INVALID_HANDLE_VALUE: there is no interactive user to ask.
    const HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);
    const LONG status = WinVerifyTrust(noUser, &action, &data);
    SignerFacts signer;
    const bool read = status == ERROR_SUCCESS && ReadSigner(data.hWVTStateData, signer);
    data.dwStateAction = WTD_STATEACTION_CLOSE; // frees the state, whatever the result
    WinVerifyTrust(noUser, &action, &data);
    return read && IsAcceptedSigner(signer, pinnedNames, pinnedKeys);
}

bool IsTrustedUpgrader(HANDLE file, const std::wstring& path) {
    return IsTrustedUpgrader(file, path, GANTRY_UPGRADER_SIGNER, GANTRY_UPGRADER_SIGNER_KEYS);
}
