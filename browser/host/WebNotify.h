// Web notifications: how a browser view tells its owning window what happened
// in the browser. A notifier (CWebNotify) owns its subscribers and calls each
// with a triple (kind, wParam, lParam). wParam and lParam are pointer-wide:
// WN_GET_EXTERNAL passes an address in wParam, and most kinds pass the view or
// a BSTR in lParam, which a 32-bit integer would cut on x64.
#pragma once

#include "browser/host/DestroyGuard.h"

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

enum : unsigned int {
    WN_DOCUMENT_COMPLETE = 0, // lParam: the view
    WN_NAVIGATE_ERROR = 1,    // lParam: the view
    WN_GET_EXTERNAL = 2,      // wParam: IDispatch** to fill (AddRef'ed); lParam: the view
    WN_BEFORE_NAVIGATE = 7,   // lParam: the view; the handler may set m_bCancelNavigate
    WN_NAVIGATE_COMPLETE = 8, // lParam: the view
    WN_TITLE_CHANGE = 9,      // lParam: the title as a BSTR, valid during the call
    WN_NEW_WINDOW = 10,       // lParam: the view; the navigation is already cancelled
};

using WebNotifyWParam = uintptr_t;
using WebNotifyLParam = intptr_t;

class ICWebNotifyEventHandler {
public:
    virtual void Notify(unsigned int kind, WebNotifyWParam wParam, WebNotifyLParam lParam) = 0;
    virtual ~ICWebNotifyEventHandler() = default;
};

// A subscriber that calls a member function Fn of an object of class T.
template <typename T, typename Fn, typename Base> class CEventHandler : public Base {
public:
    CEventHandler(T* object, Fn fn) : m_pObject(object), m_pfn(fn) {}

protected:
    T* m_pObject; // not owned: the object owns the view that owns this subscriber
    Fn m_pfn;
};

template <typename T, typename Fn>
class CCWebNotifyEventHandler : public CEventHandler<T, Fn, ICWebNotifyEventHandler> {
public:
    CCWebNotifyEventHandler(T* object, Fn fn) : CEventHandler<T, Fn, ICWebNotifyEventHandler>(object, fn) {}

    void Notify(unsigned int kind, WebNotifyWParam wParam, WebNotifyLParam lParam) override {
        T* object = this->m_pObject;
        Fn fn = this->m_pfn;
        (object->*fn)(kind, wParam, lParam);
    }
};

// The multicaster: an ordered list of subscribers that it owns.
template <typename Handler> class CFEvent {
public:
    CFEvent() = default;
    CFEvent(const CFEvent&) = delete;
    CFEvent& operator=(const CFEvent&) = delete;
    virtual ~CFEvent() = default;

    // Takes ownership; null is accepted and skipped by Fire.
    Handler* Add(std::unique_ptr<Handler> handler) {
        m_handlers.push_back(std::move(handler));
        return m_handlers.back().get();
    }

    size_t Count() const { return m_handlers.size(); }

    // Calls every subscriber in the order of subscription. The end is read again
    // on each step, so a subscriber added by a handler is called in this same
    // walk. A handler may destroy the notifier (its window closes): the walk then
    // stops at once without touching the notifier again.
    template <typename... Args> void Fire(Args... args) {
        CDestroyGuard guard(m_watch);
        for (size_t i = 0; i < m_handlers.size(); ++i) {
            Handler* h = m_handlers[i].get();
            if (!h)
                continue;
            h->Notify(args...);
            if (guard.Destroyed())
                return;
        }
    }

private:
    std::vector<std::unique_ptr<Handler>> m_handlers;
    CDestroyWatch m_watch; // declared last: marks open walks before the list goes
};

class CWebNotify : public CFEvent<ICWebNotifyEventHandler> {};

// Subscribes object->fn. W and L may be any pointer-wide integers (uintptr_t,
// UINT_PTR, WPARAM; intptr_t, LONG_PTR, LPARAM), so the windows can use the
// Windows names. Returns the new subscriber, which the notifier owns.
template <typename T, typename W, typename L>
ICWebNotifyEventHandler* Subscribe(CWebNotify& notify, T* object, void (T::*fn)(unsigned int, W, L)) {
    static_assert(std::is_integral<W>::value && std::is_unsigned<W>::value && sizeof(W) == sizeof(void*),
                  "wParam must be an unsigned pointer-wide integer");
    static_assert(std::is_integral<L>::value && std::is_signed<L>::value && sizeof(L) == sizeof(void*),
                  "lParam must be a signed pointer-wide integer");
    using Fn = void (T::*)(unsigned int, W, L);
    return notify.Add(std::make_unique<CCWebNotifyEventHandler<T, Fn>>(object, fn));
}
