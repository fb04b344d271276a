// The disk serial numbers found by one identification pass: up to 32 slots of 63
// characters, filled in device-number order by whichever method answers. The
// device methods themselves live in DiskSerial.cpp; this class only keeps what
// they found, so its limits can be tested without any drive.
#pragma once

#include <cstddef>
#include <string>

class CDiskIdentifier {
public:
    static constexpr size_t kMaxSlots = 32;
    static constexpr size_t kSlotChars = 64; // 63 characters and the terminator

    // False (nothing stored) once all slots are filled; the methods test this
    // before they touch each device.
    bool IsFull() const { return count_ >= kMaxSlots; }
    size_t Count() const { return count_; }

    // Stores the text in the next slot, cut at 63 characters (and at an embedded
    // zero). False when all slots are filled.
    bool AddSerial(const std::wstring& text);

    // The slot's text; empty for an index that is not filled.
    std::wstring Slot(size_t index) const;

    // Slot 0 copied into the caller's 64-character buffer when the read index (0)
    // lies below the count; false (buffer untouched) when nothing was found.
    bool CopyFirst(wchar_t (&out)[kSlotChars]) const;

private:
    wchar_t slots_[kMaxSlots][kSlotChars] = {};
    size_t count_ = 0;
    size_t readIndex_ = 0;
};
