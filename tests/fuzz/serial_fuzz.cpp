// The disk-serial decoders on any driver output: they read only the bytes they
// are given, and their texts are no longer than those bytes allow.
#include "net/SerialDecoding.h"
#include "tests/fuzz/FuzzInput.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes, so a read past them is an error even for the
    // text decoder that stops at a zero byte.
    const std::vector<char> text(data, data + size);
    Require(DecodeHexSerial(text.data(), text.size()).size() <= (size + 3) / 4 * 2);
    Require(IdentifySerialFromBlock(data, size).size() <= 20);
    const std::wstring storage = SerialFromStorageDescriptor(data, size);
    Require(storage.size() <= size / 2 + 2);
    Require(SerialFromMediaSerialData(data, size).size() <= size / 4 + 1);
    StartsWithAsciiAlnum(storage);
    return 0;
}
