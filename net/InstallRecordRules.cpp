#include "net/InstallRecordRules.h"

#include "app/base/TextUtils.h"

StoredValueChoice ChooseStoredValue(const std::wstring& stored,
                                    const std::function<std::wstring()>& makeFresh) {
    if (!stored.empty())
        return {stored, false};
    std::wstring fresh = makeFresh();
    const bool write = !fresh.empty();
    return {std::move(fresh), write};
}

std::wstring RecordGuid(const std::wstring& guidWithDashes) {
    return RemoveAll(guidWithDashes, L"-");
}
