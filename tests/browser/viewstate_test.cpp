// The browser view's rules, without a browser: which navigations are skipped,
// reported or cancelled, which completions count, and the host flags.
#include "browser/host/BrowserAccelerator.h"
#include "browser/host/BrowserViewState.h"
#include "browser/host/WebNotify.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct BeforeCase {
    const wchar_t* url;
    bool pending;
    bool notify;
    unsigned int kind;
    bool cancel;
};

TEST(BrowserViewState, BeforeNavigateDecisions) {
    const BeforeCase cases[] = {
        {L"http://host/page", false, true, WN_BEFORE_NAVIGATE, false},
        {L"JavaScript:void(0)", false, true, WN_BEFORE_NAVIGATE, false}, // the prefix is case-sensitive
        {L"javascript:void(0)", false, false, 0, false},
        {L"javascript", false, false, 0, false},
        {L"about:blank", false, false, 0, false},
        {L"about:blank#top", false, false, 0, false},
        {L"About:blank", false, true, WN_BEFORE_NAVIGATE, false},
        {L"http://host/?u=javascript", false, true, WN_BEFORE_NAVIGATE, false}, // only at index 0
        {L"http://host/dl/setup.exe", false, true, WN_NEW_WINDOW, true},
        {L"http://host/get?file=a.exe", false, true, WN_NEW_WINDOW, true},
        {L"http://host/a.EXE", false, true, WN_NEW_WINDOW, true}, // in any case
        {L"http://host/Setup.Exe?x", false, true, WN_NEW_WINDOW, true},
        {L"http://host/a.exe.html", false, true, WN_NEW_WINDOW, true}, // ".exe" anywhere
        {L"http://host/popup", true, true, WN_NEW_WINDOW, true},
        {L"javascript:x", true, false, 0, false}, // skipped: the pending flag waits
        {L"", false, true, WN_BEFORE_NAVIGATE, false},
    };
    for (const BeforeCase& c : cases) {
        CBrowserViewState state;
        state.m_strUrl = L"previous";
        state.m_bNewWindowPending = c.pending;
        state.m_bCancelNavigate = true; // left over from an earlier navigation
        const auto step = state.DecideBeforeNavigate(c.url);
        SCOPED_TRACE(std::wstring(c.url).c_str());
        EXPECT_EQ(step.notify, c.notify);
        if (c.notify) {
            EXPECT_EQ(step.kind, c.kind);
            EXPECT_EQ(state.m_strUrl, c.url);
            EXPECT_FALSE(state.m_bNewWindowPending);
        } else {
            EXPECT_EQ(state.m_strUrl, L"previous");
            EXPECT_EQ(state.m_bNewWindowPending, c.pending);
        }
        EXPECT_EQ(state.m_bCancelNavigate, c.cancel);
    }
}

TEST(BrowserViewState, BlankAndScriptNewWindowsAreDropped) {
    const struct {
        const wchar_t* url;
        bool dropped;
    } rows[] = {
        {L"about:blank", true},
        {L"About:Blank#x", true},
        {L"about:srcdoc", true},
        {L"JavaScript:go()", true},
        {L"  javascript:alert(1)", true},
        {L"javascriptx:1", true}, // skipped in view
        {L"", true},
        {L"http://host/about:blank", false},
        {L"https://host/pay", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CBrowserViewState::IsDroppedNewWindowUrl(row.url), row.dropped)
            << std::wstring(row.url).c_str();
}

TEST(BrowserViewState, UrlWithEmbeddedNulIsMatchedWhole) {
    CBrowserViewState state;
    std::wstring url(L"http://host/a\0b.exe", 19);
    EXPECT_EQ(state.DecideBeforeNavigate(url).kind, WN_NEW_WINDOW);
    EXPECT_EQ(state.m_strUrl, url);
}

TEST(BrowserViewState, FirstRealCompletionAfterNavigateCounts) {
    int top = 0, frame = 0, other = 0;
    CBrowserViewState state;
    EXPECT_FALSE(state.AcceptFirstCompletion(&top, L"http://host/")); // no Navigate yet
    state.RecordNavigate(L"about:blank");
    EXPECT_TRUE(state.m_bWaitFirstComplete);
    EXPECT_EQ(state.m_strUrl, L"about:blank");
    EXPECT_FALSE(state.AcceptFirstCompletion(&top, L"about:blank"));
    EXPECT_TRUE(state.m_bWaitFirstComplete);
    EXPECT_TRUE(state.AcceptFirstCompletion(&top, L"about:blank#x")); // not exactly about:blank
    EXPECT_FALSE(state.m_bWaitFirstComplete);
    EXPECT_EQ(state.m_pTopDispatch, &top);
    EXPECT_FALSE(state.AcceptFirstCompletion(&frame, L"http://host/frame"));
    EXPECT_EQ(state.m_pTopDispatch, &top);

    EXPECT_TRUE(state.IsTopLevelDocument(&top));
    EXPECT_FALSE(state.IsTopLevelDocument(&frame));
    EXPECT_FALSE(state.IsTopLevelDocument(nullptr));
    EXPECT_TRUE(state.IsTopLevelDocument(&top)); // later top-level documents too

    state.RecordNavigate(L"http://host/next");
    EXPECT_EQ(state.m_pTopDispatch, nullptr);
    EXPECT_FALSE(state.IsTopLevelDocument(&top)); // until the next first completion
    EXPECT_FALSE(state.IsTopLevelDocument(nullptr));
    EXPECT_TRUE(state.AcceptFirstCompletion(&other, L"http://host/next"));
    EXPECT_TRUE(state.IsTopLevelDocument(&other));
    EXPECT_FALSE(state.IsTopLevelDocument(&top));
}

TEST(BrowserViewState, NavigateErrorsExceptAbortAreReported) {
    EXPECT_FALSE(CBrowserViewState::ReportsNavigateError(static_cast<int32_t>(0x80004004u)));
    EXPECT_TRUE(CBrowserViewState::ReportsNavigateError(static_cast<int32_t>(0x800C0008u)));
    EXPECT_TRUE(CBrowserViewState::ReportsNavigateError(static_cast<int32_t>(0x800C0010u)));
    EXPECT_TRUE(CBrowserViewState::ReportsNavigateError(404));
    EXPECT_TRUE(CBrowserViewState::ReportsNavigateError(0));
}

TEST(BrowserViewState, HostInfoFlags) {
    EXPECT_EQ(CBrowserViewState::HostInfoFlags(0, true), 0x0020000Eu);
    EXPECT_EQ(CBrowserViewState::HostInfoFlags(0, false), 0x00200006u);
    EXPECT_EQ(CBrowserViewState::HostInfoFlags(0x00040000u, false), 0x00240006u); // existing flags kept
}

TEST(BrowserViewState, InputMessageRanges) {
    const struct {
        unsigned int message;
        bool input;
    } cases[] = {{0x00FF, false}, {0x0100, true},  {0x0105, true},  {0x0109, true},
                 {0x010A, false}, {0x01FF, false}, {0x0200, true},  {0x0207, true},
                 {0x020E, true},  {0x020F, false}, {0x000F, false}, {0x037F, false}};
    for (const auto& c : cases)
        EXPECT_EQ(CBrowserViewState::IsBrowserInputMessage(c.message), c.input) << std::hex << c.message;
}

TEST(BrowserViewState, NewWindowIsCancelledOnlyWhenBlocked) {
    CBrowserViewState state;
    EXPECT_FALSE(state.CancelNewWindow());
    state.m_bBlockNewWindow = true;
    EXPECT_TRUE(state.CancelNewWindow());
}

// Message numbers and virtual keys as the Windows headers define them.
TEST(BrowserAccelerator, OnlyReleasesAndTheBrowsersOwnKeysGoFirst) {
    constexpr unsigned kKeyDown = 0x0100, kKeyUp = 0x0101, kChar = 0x0102, kSysKeyDown = 0x0104,
                       kLastKey = 0x0109, kMouseMove = 0x0200;
    const struct {
        const char* name;
        unsigned message, key;
        bool ctrl, expected;
    } rows[] = {
        {"typing a letter", kKeyDown, 'A', false, false},
        {"a character message", kChar, 'c', true, false}, // 'c' is not the key 'C'
        {"every release", kKeyUp, 'A', false, true},
        {"Tab", kKeyDown, 0x09, false, true},
        {"Enter", kKeyDown, 0x0D, false, true},
        {"Delete", kKeyDown, 0x2E, false, true},
        {"Backspace", kKeyDown, 0x08, false, false},
        {"Ctrl+C", kKeyDown, 'C', true, true},
        {"Ctrl+V as a system key", kSysKeyDown, 'V', true, true},
        {"Ctrl+X at the last keyboard message", kLastKey, 'X', true, true},
        {"Ctrl+Z", kKeyDown, 'Z', true, true},
        {"Ctrl+A", kKeyDown, 'A', true, false},
        {"C without Ctrl", kKeyDown, 'C', false, false},
        {"below the keyboard range", kKeyDown - 1, 0x09, false, false},
        {"above the keyboard range", kLastKey + 1, 0x09, false, false},
        {"a mouse message", kMouseMove, 0x0D, true, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsBrowserAccelerator(row.message, row.key, row.ctrl), row.expected) << row.name;
}

} // namespace
