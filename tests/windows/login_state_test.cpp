// The login window's page-result and retry rules, and the external login's return
// address, without a browser.
#include "browser/windows/ExternalLoginReturn.h"
#include "browser/windows/LoginState.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Label = CLoginState::Label;

// Events: an error (E), a page (P), a click on the label (C), a retry whose navigation
// could not start (F), the game window closing (G). `applies` is what the last event
// decided (for C: whether it retried); `keep` whether the last placement keeps the window.
TEST(LoginState, RetriesNeverGetStuckAndKeepTheWindowWhereThePlayerHasIt) {
    const struct {
        const char* name;
        const char* events;
        Label label;
        bool applies, keep;
    } rows[] = {
        {"a click on the empty label while loading", "C", Label::Empty, false, false},
        {"the first error is centred", "E", Label::NetworkError, true, false},
        {"a click on the error retries", "EC", Label::Checking, true, false},
        {"a click while checking does nothing", "ECC", Label::Checking, false, false},
        {"the retry fails: the window stays put", "ECE", Label::NetworkError, true, true},
        {"an error inside the retry's navigation", "ECEF", Label::NetworkError, false, false},
        {"a retry that could not start", "ECF", Label::NetworkError, false, false},
        {"and the next click retries", "ECFC", Label::Checking, true, false},
        {"every click on the error retries", "ECECEC", Label::Checking, true, false},
        {"the first page is centred", "P", Label::Empty, true, false},
        {"a page after a retry stays put", "ECP", Label::Checking, true, true},
        {"after a game, errors change nothing", "PGE", Label::Empty, false, false},
        {"after a game, pages change nothing", "ECPGP", Label::Checking, false, true},
    };
    for (const auto& row : rows) {
        CLoginState state;
        LoginPlacement last;
        for (const char* e = row.events; *e; ++e) {
            last = LoginPlacement{};
            if (*e == 'E')
                last = state.DecideNavigateError();
            else if (*e == 'P')
                last = state.DecidePageShown();
            else if (*e == 'C')
                last.apply = state.DecideRetryClick();
            else if (*e == 'F')
                state.RetryNotStarted();
            else
                state.ReturnFromGame();
        }
        EXPECT_EQ(state.GetLabel(), row.label) << row.name;
        EXPECT_EQ(last.apply, row.applies) << row.name;
        EXPECT_EQ(last.keepPosition, row.keep) << row.name;
    }
}

TEST(LoginState, OnlyAPlacedResultCountsAsShown) {
    CLoginState afterGame, fresh;
    afterGame.ReturnFromGame();
    afterGame.DecideNavigateError();
    EXPECT_FALSE(afterGame.HasShownPageResult()); // an ignored result placed nothing
    EXPECT_FALSE(fresh.HasShownPageResult());
    fresh.DecideNavigateError();
    EXPECT_TRUE(fresh.HasShownPageResult());
}

// Latin-1 stands in for the ANSI code page: every byte is the character of that
// number, so the test sees which bytes the decoder handed to the code page.
const AnsiCodec kLatin1 = {[](const std::wstring& text) {
                               std::string out;
                               for (wchar_t c : text)
                                   out.push_back(c < 0x100 ? char(c) : '?');
                               return out;
                           },
                           [](const std::string& bytes) {
                               std::wstring out;
                               for (char b : bytes)
                                   out.push_back(wchar_t(static_cast<unsigned char>(b)));
                               return out;
                           }};

TEST(ExternalLoginReturn, TheForwardAddressIsDecodedAndTheWindowCloses) {
    // The decoding, with forward addresses that may be followed (on the web host "w").
    const std::wstring back = L"http://game.test:81/server/wan/?from=qq&forward=";
    const struct {
        const char* name;
        std::wstring url;
        bool continueLogin, close;
        std::wstring forward;
    } rows[] = {
        {"percent-encoded colon and slashes", back + L"http%3A%2F%2Fw%2Fi.html%3Fwd_username%3Dqq_a", true,
         true, L"http://w/i.html?wd_username=qq_a"},
        {"lower-case hex digits", back + L"http%3a%2f%2fw", true, true, L"http://w"},
        {"a plus becomes a space", back + L"http://w/a+b%20c", true, true, L"http://w/a b c"},
        {"an unencoded & cuts the value", back + L"http://w/i?a=1&b=2", true, true, L"http://w/i?a=1"},
        {"bytes above 0x7F through the code page", back + L"http://w/%B0%A1x%E9", true, true,
         L"http://w/\u00B0\u00A1x\u00E9"},
        {"no forward key: closes without continuing", L"http://game.test:81/server/wan/?from=qq", false, true,
         L""},
        {"the key anywhere after the marker", L"http://game.test:81/server/wan/?forward=http://w&from=qq",
         true, true, L"http://w"},
        {"another host is no return address", L"http://other:81/server/wan/?forward=a", false, false, L""},
        {"the path is case-sensitive", L"http://game.test:81/Server/wan/?forward=a", false, false, L""},
        {"the return-to-login marker only closes", L"http://w/i.html?wd_returnlogin=1", false, true, L""},
        {"a provider page does nothing", L"http://login.test/qq?appid=1036", false, false, L""},
    };
    for (const auto& row : rows) {
        const ExternalLoginStep step = DecideExternalLoginStep(
            row.url, true, PlatformHosts{L"w", L"login.test", L"game.test:81"}, kLatin1);
        EXPECT_EQ(step.continueLogin, row.continueLogin) << row.name;
        EXPECT_EQ(step.close, row.close) << row.name;
        EXPECT_EQ(step.forward, row.forward) << row.name;
    }
}

} // namespace
