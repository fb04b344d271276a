#include "net/DiskIdentifier.h"

bool CDiskIdentifier::AddSerial(const std::wstring& text) {
    if (IsFull())
        return false;
    wchar_t* slot = slots_[count_];
    size_t n = 0;
    for (; n < kSlotChars - 1 && n < text.size() && text[n] != L'\0'; ++n)
        slot[n] = text[n];
    slot[n] = L'\0';
    ++count_;
    return true;
}

std::wstring CDiskIdentifier::Slot(size_t index) const {
    if (index >= count_)
        return std::wstring();
    return std::wstring(slots_[index]);
}

bool CDiskIdentifier::CopyFirst(wchar_t (&out)[kSlotChars]) const {
    if (readIndex_ >= count_)
        return false;
    for (size_t i = 0; i < kSlotChars; ++i)
        out[i] = slots_[readIndex_][i];
    return true;
}
