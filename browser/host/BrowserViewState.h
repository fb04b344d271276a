// The decisions of the browser view that need no Windows API: which
// navigations are recorded, cancelled or reported, when a completion counts as
// the first real page and which document completes are top-level. CBrowserView
// holds one privately and does the COM work around it, so the rules are tested
// natively. Browser objects are compared by address only, never called here.
#pragma once

#include <cstdint>
#include <string>

class CBrowserViewState {
public:
    // What the view does with a BeforeNavigate2.
    struct BeforeNavigate {
        bool notify = false;   // false: a javascript/about:blank URL, left alone
        unsigned int kind = 0; // WN_BEFORE_NAVIGATE or WN_NEW_WINDOW when notify
    };

    std::wstring m_strUrl;                // last URL given to Navigate or seen in a reported BeforeNavigate2
    bool m_bWaitFirstComplete = false;    // a Navigate waits for its first real completion
    const void* m_pTopDispatch = nullptr; // the top-level browser object (compared, not held)
    bool m_bNoScroll = true;              // hide the scroll bars of every document
    bool m_bCancelNavigate = false;       // set by a handler to cancel the navigation it is told of
    bool m_bBlockNewWindow = false;       // cancel new-window requests
    bool m_bNewWindowPending = false;     // the next navigation is a new-window request turned into one

    // Start of BeforeNavigate2: resets m_bCancelNavigate and, unless the URL is
    // skipped, records it and says which notification to send. A URL from a
    // new-window request, or one containing ".exe", is cancelled here already.
    BeforeNavigate DecideBeforeNavigate(const std::wstring& url);

    // Navigate: records the URL and waits for the first real completion again.
    void RecordNavigate(const std::wstring& url);

    // NavigateComplete2: true when this is the first completion after Navigate
    // whose URL is not "about:blank"; it then becomes the top-level object.
    bool AcceptFirstCompletion(const void* browser, const std::wstring& url);

    // DocumentComplete: true for the top-level browser object.
    bool IsTopLevelDocument(const void* browser) const;

    // NewWindow2/NewWindow3: whether to cancel the new window.
    bool CancelNewWindow() const { return m_bBlockNewWindow; }

    // javascript... and about:blank... (case-sensitive prefixes).
    static bool IsSkippedUrl(const std::wstring& url);
    // A new-window request that is dropped, not opened in the view: an empty
    // address, a skipped one, or one whose scheme is "about:" or "javascript:"
    // (any case, after leading blanks). Opened in the view, it would run or blank
    // the view's own page, and its navigation, being skipped, would leave the
    // new-window flag set for the player's next click.
    static bool IsDroppedNewWindowUrl(const std::wstring& url);
    // ".exe" anywhere, in any case.
    static bool IsExeUrl(const std::wstring& url);
    // Every status but E_ABORT is reported (and the error page suppressed).
    static bool ReportsNavigateError(int32_t status);
    // DOCHOSTUIINFO flags of the direct handler: no help menu, no 3D borders,
    // and no scroll bars when noScroll.
    static uint32_t HostInfoFlags(uint32_t flags, bool noScroll);
    // Keyboard (0x0100..0x0109) and mouse (0x0200..0x020E) messages, which the
    // view offers to the control's accelerator handling.
    static bool IsBrowserInputMessage(unsigned int message);
};
