// The install record's rules for its stored identity, without any Windows API.
#pragma once

#include <functional>
#include <string>

// A stored identity value (the installation GUID, the install time) is the
// installation's identity: it is used as it stands, whatever it looks like, because
// the statistics server already holds it. Only a missing one is replaced by a fresh
// one, and written only when the fresh one could be made (the next run tries again).
struct StoredValueChoice {
    std::wstring value;
    bool write = false;
};
// makeFresh is called only when nothing is stored.
StoredValueChoice ChooseStoredValue(const std::wstring& stored,
                                    const std::function<std::wstring()>& makeFresh);

// The GUID as the record stores it: the 36-character form without its dashes.
std::wstring RecordGuid(const std::wstring& guidWithDashes);
