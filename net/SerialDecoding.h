// Turning what disk drivers return into serial-number text. Pure byte handling:
// every function is told how many bytes it may read and never reads past them.
//
// Characters are UTF-16 code units held in wchar_t; a byte becomes a unit by sign
// extension (0x80..0xFF become 0xFF80..0xFFFF), the way the serial has always been
// widened, so the hardware id stays the same as it was on every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// ATA IDENTIFY serial-number words (words 10 to 19): per word the high byte, then
// the low byte; spaces are dropped wherever they stand; a zero byte ends the text.
// At most 20 characters.
std::wstring IdentifyWordsToString(const uint16_t (&words)[10]);

// The same from a raw IDENTIFY block: words 10 to 19 read little-endian. A block
// shorter than 40 bytes from word 10 on gives an empty text.
std::wstring IdentifySerialFromBlock(const unsigned char* block, size_t blockBytes);

// Serial numbers that storage drivers return as hexadecimal text of byte-swapped
// words: groups of four characters, the pair at 2-3 before the pair at 0-1; a
// non-hex character, or a position past the end, counts as digit 0; bytes 0 and
// space are dropped. "3957" gives "W9". The text ends at its first zero byte or
// after maxBytes, whichever comes first.
std::wstring DecodeHexSerial(const char* text, size_t maxBytes);

// The serial of a STORAGE_DEVICE_DESCRIPTOR returned by IOCTL_STORAGE_QUERY_PROPERTY,
// decoded with DecodeHexSerial. Empty when the descriptor is shorter than its
// fixed part, has no serial (offset 0) or its offset points at or past the bytes
// returned; the serial text is read only up to the end of the returned bytes.
std::wstring SerialFromStorageDescriptor(const unsigned char* data, size_t returned);

// The serial of a MEDIA_SERIAL_NUMBER_DATA returned by
// IOCTL_STORAGE_GET_MEDIA_SERIAL_NUMBER: from byte 16 on, a zero-terminated byte
// text of which the bytes at positions 0, 4, 8, ... that are not spaces are kept.
// Reads only within the returned bytes.
std::wstring SerialFromMediaSerialData(const unsigned char* data, size_t returned);

// A disk slot counts only when its text starts with an ASCII letter or digit.
bool StartsWithAsciiAlnum(const std::wstring& text);

// "%08X-%08X-%08X-%08X" of the CPUID registers: 35 characters.
std::wstring FormatCpuIdString(uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx);

// "%02X" six times: the first 6 bytes of an adapter address, 12 characters.
std::wstring FormatMacText(const unsigned char (&address)[6]);
