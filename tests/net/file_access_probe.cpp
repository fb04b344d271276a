// Another program, for the downloader test of a held file:
//   file_access_probe check PATH   exit code: 1 when PATH could be opened for
//                                  writing, plus 2 when it could be deleted
//   file_access_probe noop         exit code 7 (it was started)
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && wcscmp(argv[1], L"noop") == 0)
        return 7;
    if (argc != 3 || wcscmp(argv[1], L"check") != 0)
        return 64;
    const HANDLE writer =
        CreateFileW(argv[2], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    return (writer != INVALID_HANDLE_VALUE ? 1 : 0) | (DeleteFileW(argv[2]) ? 2 : 0);
}
