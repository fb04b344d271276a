// The login window's rules for its page results and its retry label: the states
// loading, network error, retrying, page shown and returned from a game. The window
// applies each decision (label text and cursor, where the browser and the window
// go); here is only the choice, so the retry paths are checked without a browser.
#pragma once

// What the window does with a page result.
struct LoginPlacement {
    bool apply = false;        // false: after a game, results leave the window alone
    bool keepPosition = false; // after a retry the window stays where the player has it
};

class CLoginState {
public:
    // What the status label says; only the error text is a retry link.
    enum class Label { Empty, NetworkError, Checking };

    // The page (or the browser) failed: the error label, unless a game has been played.
    LoginPlacement DecideNavigateError();
    // The first page of a navigation arrived: the browser is shown, unless a game has been played.
    LoginPlacement DecidePageShown();
    // A click on the status label. True when it starts a retry: the label says
    // Checking from now on, before the navigation is asked for, so an error that
    // arrives inside the navigation call leaves the error label behind.
    bool DecideRetryClick();
    // The retry's navigation could not even start: the error label again, so the
    // next click retries once more.
    void RetryNotStarted();
    // The game window has closed: later results no longer move or re-show the window.
    void ReturnFromGame() { m_returnedFromGame = true; }

    Label GetLabel() const { return m_label; }
    // True once a page result has placed the window; parking it off screen after
    // that would hide it for good.
    bool HasShownPageResult() const { return m_shownPageResult; }

private:
    LoginPlacement Place();

    Label m_label = Label::Empty;
    bool m_retrying = false; // the player has clicked the retry label at least once
    bool m_returnedFromGame = false;
    bool m_shownPageResult = false;
};
