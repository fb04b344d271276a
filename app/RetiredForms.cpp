#include "app/RetiredForms.h"

#include <algorithm>

CRetiredForms::CRetiredForms() = default;
CRetiredForms::~CRetiredForms() = default;

void CRetiredForms::Add(std::unique_ptr<CKoForm> form, std::function<bool()> canBeFreed) {
    m_forms.push_back({std::move(form), std::move(canBeFreed)});
}

void CRetiredForms::FreeReleased() {
    m_forms.erase(
        std::remove_if(m_forms.begin(), m_forms.end(), [](const Retired& r) { return r.canBeFreed(); }),
        m_forms.end());
}

BOOL CRetiredForms::PreTranslateMessage(MSG*) {
    FreeReleased();
    return FALSE;
}
