// Small file helpers for the downloader tests: a scratch folder per test program,
// and reading, writing and checking files in it.
#pragma once

#include <windows.h>

#include <string>

namespace test_files {

// %TEMP%\<name>-<pid>\, created; removed with everything in it by RemoveScratch.
std::wstring MakeScratch(const std::wstring& name);
void RemoveScratch(const std::wstring& folder);

bool Exists(const std::wstring& path);
// The whole file; false when it cannot be read.
bool Read(const std::wstring& path, std::string& bytes);
bool Write(const std::wstring& path, const std::string& bytes);
// Files directly in the folder (names only).
size_t CountFiles(const std::wstring& folder);

// Deterministic bytes that differ from position to position.
std::string Pattern(size_t size, unsigned seed = 1);

} // namespace test_files
