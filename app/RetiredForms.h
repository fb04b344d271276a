// Game and external-login window objects whose windows are gone. A retired object
// may still be running (a window that closed itself is retired from its own
// WM_NCDESTROY), so it is freed only when the next one of its kind retires, by then
// long finished, and at exit. A retired game window also goes as soon as the main
// message loop takes its next message: code of the window (a question box, a menu,
// a drag) may still be on the stack while its window is destroyed, but never under
// the main loop.
#pragma once

#include "app/base/AppModule.h"

#include <memory>

class CFormGame;
class CFormQQLogin;

class CRetiredForms : public CMessageFilter {
public:
    CRetiredForms();
    ~CRetiredForms();
    CRetiredForms(const CRetiredForms&) = delete;
    CRetiredForms& operator=(const CRetiredForms&) = delete;

    // Takes ownership (null is allowed) and frees the one retired before.
    void RetireGame(CFormGame* game);
    void RetireQQLogin(CFormQQLogin* form);

    // The main loop's filter: frees a retired game window; consumes nothing.
    BOOL PreTranslateMessage(MSG* msg) override;

private:
    std::unique_ptr<CFormGame> m_game;
    std::unique_ptr<CFormQQLogin> m_qqLogin;
};

// Defined with the other process-wide statics (app/Statics.cpp), after the global
// module, so the forms go before the module they use.
extern CRetiredForms g_retiredForms;
