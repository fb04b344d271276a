// Lets code that calls out (into a subscriber, into an owner's handler) learn
// afterwards whether the object it runs in was destroyed meanwhile, so that it
// touches no member of a dead object. The guarded object holds a CDestroyWatch;
// each call-out keeps a CDestroyGuard on its own stack.
#pragma once

class CDestroyGuard;

class CDestroyWatch {
public:
    CDestroyWatch() = default;
    CDestroyWatch(const CDestroyWatch&) = delete;
    CDestroyWatch& operator=(const CDestroyWatch&) = delete;
    inline ~CDestroyWatch();

private:
    friend class CDestroyGuard;
    CDestroyGuard* m_pInnermost = nullptr;
};

// Guards nest (a handler may fire again); the watch marks every open guard.
class CDestroyGuard {
public:
    explicit CDestroyGuard(CDestroyWatch& watch) : m_pWatch(&watch), m_pOuter(watch.m_pInnermost) {
        watch.m_pInnermost = this;
    }
    ~CDestroyGuard() {
        if (!m_bDestroyed)
            m_pWatch->m_pInnermost = m_pOuter;
    }
    CDestroyGuard(const CDestroyGuard&) = delete;
    CDestroyGuard& operator=(const CDestroyGuard&) = delete;

    // True once the watched object is gone: return without touching it.
    bool Destroyed() const { return m_bDestroyed; }

private:
    friend class CDestroyWatch;
    CDestroyWatch* m_pWatch;
    CDestroyGuard* m_pOuter;
    bool m_bDestroyed = false;
};

inline CDestroyWatch::~CDestroyWatch() {
    for (CDestroyGuard* g = m_pInnermost; g; g = g->m_pOuter)
        g->m_bDestroyed = true;
}
