#include "browser/host/BrowserViewState.h"

#include "browser/host/WebNotify.h"

namespace {

constexpr int32_t kStatusAbort = static_cast<int32_t>(0x80004004u); // E_ABORT

// DOCHOSTUIFLAG_DISABLE_HELP_MENU | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_NO3DOUTERBORDER
constexpr uint32_t kHostFlagsNoBorders = 0x00200006u;
constexpr uint32_t kHostFlagScrollNo = 0x00000008u; // DOCHOSTUIFLAG_SCROLL_NO

std::wstring LowerAscii(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

} // namespace

CBrowserViewState::BeforeNavigate CBrowserViewState::DecideBeforeNavigate(const std::wstring& url) {
    m_bCancelNavigate = false;
    BeforeNavigate result;
    if (IsSkippedUrl(url))
        return result;
    m_strUrl = url;
    result.notify = true;
    if (m_bNewWindowPending || IsExeUrl(url)) {
        m_bCancelNavigate = true;
        m_bNewWindowPending = false;
        result.kind = WN_NEW_WINDOW;
    } else {
        result.kind = WN_BEFORE_NAVIGATE;
    }
    return result;
}

void CBrowserViewState::RecordNavigate(const std::wstring& url) {
    m_strUrl = url;
    m_bWaitFirstComplete = true;
    m_pTopDispatch = nullptr;
}

bool CBrowserViewState::AcceptFirstCompletion(const void* browser, const std::wstring& url) {
    if (!m_bWaitFirstComplete || url == L"about:blank")
        return false;
    m_bWaitFirstComplete = false;
    m_pTopDispatch = browser;
    return true;
}

bool CBrowserViewState::IsTopLevelDocument(const void* browser) const {
    // Before the first qualifying completion there is no top-level object; a
    // null browser must not match that empty slot.
    return m_pTopDispatch != nullptr && browser == m_pTopDispatch;
}

bool CBrowserViewState::IsSkippedUrl(const std::wstring& url) {
    return StartsWith(url, L"javascript") || StartsWith(url, L"about:blank");
}

bool CBrowserViewState::IsDroppedNewWindowUrl(const std::wstring& url) {
    size_t start = 0;
    while (start < url.size() && url[start] <= L' ')
        ++start;
    if (start == url.size() || IsSkippedUrl(url))
        return true;
    const std::wstring text = LowerAscii(url.substr(start));
    return StartsWith(text, L"about:") || StartsWith(text, L"javascript:");
}

bool CBrowserViewState::IsExeUrl(const std::wstring& url) {
    return LowerAscii(url).find(L".exe") != std::wstring::npos;
}

bool CBrowserViewState::ReportsNavigateError(int32_t status) {
    return status != kStatusAbort;
}

uint32_t CBrowserViewState::HostInfoFlags(uint32_t flags, bool noScroll) {
    flags |= kHostFlagsNoBorders;
    if (noScroll)
        flags |= kHostFlagScrollNo;
    return flags;
}

bool CBrowserViewState::IsBrowserInputMessage(unsigned int message) {
    return (message >= 0x0100 && message <= 0x0109) || (message >= 0x0200 && message <= 0x020E);
}
