#include "app/RetiredForms.h"

#include "browser/windows/FormGame.h"
#include "browser/windows/FormQQLogin.h"

CRetiredForms::CRetiredForms() = default;
CRetiredForms::~CRetiredForms() = default;

void CRetiredForms::RetireGame(CFormGame* game) {
    m_game.reset(game);
}

void CRetiredForms::RetireQQLogin(CFormQQLogin* form) {
    m_qqLogin.reset(form);
}

BOOL CRetiredForms::PreTranslateMessage(MSG*) {
    m_game.reset();
    return FALSE;
}
