#include "browser/windows/LoginState.h"

LoginPlacement CLoginState::Place() {
    LoginPlacement placement;
    placement.apply = !m_returnedFromGame;
    placement.keepPosition = m_retrying;
    if (placement.apply)
        m_shownPageResult = true;
    return placement;
}

LoginPlacement CLoginState::DecideNavigateError() {
    const LoginPlacement placement = Place();
    if (placement.apply)
        m_label = Label::NetworkError;
    return placement;
}

LoginPlacement CLoginState::DecidePageShown() {
    return Place();
}

bool CLoginState::DecideRetryClick() {
    if (m_label != Label::NetworkError)
        return false;
    m_retrying = true;
    m_label = Label::Checking;
    return true;
}

void CLoginState::RetryNotStarted() {
    if (m_label == Label::Checking)
        m_label = Label::NetworkError;
}
