// Window objects made on request (the game and external-login windows) whose
// windows are gone. A retired object may still be running (a window that closed
// itself is retired from its own WM_NCDESTROY, and a question box of it may still
// be open), so it is freed only from the main message loop, where none of its code
// can be on the stack, and only once nothing outside holds its browser's COM parts
// (the control or a document calling into a freed view would crash); what is still
// held then waits for a later message, or to the end of the process, when this
// static object goes after COM and OLE, so nothing can call into it any more.
#pragma once

#include "app/base/AppModule.h"
#include "ui/KoForm.h"

#include <functional>
#include <memory>
#include <vector>

class CRetiredForms : public CMessageFilter {
public:
    CRetiredForms();
    ~CRetiredForms();
    CRetiredForms(const CRetiredForms&) = delete;
    CRetiredForms& operator=(const CRetiredForms&) = delete;

    // Takes ownership (null is ignored); the form's CanBeFreed says when it may go.
    template <typename Form> void Retire(Form* form) {
        if (form)
            Add(std::unique_ptr<CKoForm>(form), [form] { return form->CanBeFreed(); });
    }

    // Frees every retired object that is no longer referenced.
    void FreeReleased();
    // How many are waiting (tests).
    size_t Count() const { return m_forms.size(); }

    // The main loop's filter: FreeReleased; consumes nothing.
    BOOL PreTranslateMessage(MSG* msg) override;

private:
    struct Retired {
        std::unique_ptr<CKoForm> form;
        std::function<bool()> canBeFreed;
    };
    void Add(std::unique_ptr<CKoForm> form, std::function<bool()> canBeFreed);

    std::vector<Retired> m_forms;
};

// Defined with the other process-wide statics (app/Statics.cpp), after the global
// module, so the forms go before the module they use.
extern CRetiredForms g_retiredForms;
