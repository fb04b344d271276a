#include "app/RetiredForms.h"

#include "browser/windows/FormGame.h"
#include "browser/windows/FormQQLogin.h"

#include <algorithm>

namespace {

template <typename Form> void EraseReleased(std::vector<std::unique_ptr<Form>>& forms) {
    forms.erase(std::remove_if(forms.begin(), forms.end(), [](const auto& f) { return f->CanBeFreed(); }),
                forms.end());
}

} // namespace

CRetiredForms::CRetiredForms() = default;
CRetiredForms::~CRetiredForms() = default;

void CRetiredForms::RetireGame(CFormGame* game) {
    if (game)
        m_games.emplace_back(game);
}

void CRetiredForms::RetireQQLogin(CFormQQLogin* form) {
    if (form)
        m_qqLogins.emplace_back(form);
}

void CRetiredForms::FreeReleased() {
    EraseReleased(m_games);
    EraseReleased(m_qqLogins);
}

BOOL CRetiredForms::PreTranslateMessage(MSG*) {
    FreeReleased();
    return FALSE;
}
