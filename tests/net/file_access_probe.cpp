// Another program, for the downloader tests of a held file:
//   file_access_probe check PATH   tries to open PATH for writing, to rename it and
//                                  to delete it; the exit code has 1, 2 and 4 set
//                                  for each that succeeded (0: all were refused)
//   file_access_probe noop         exits with 7 (proves it was started)
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && wcscmp(argv[1], L"noop") == 0)
        return 7;
    if (argc != 3 || wcscmp(argv[1], L"check") != 0)
        return 64;
    const std::wstring path = argv[2];
    int done = 0;
    const HANDLE writer =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (writer != INVALID_HANDLE_VALUE) {
        done |= 1;
        CloseHandle(writer);
    }
    const std::wstring moved = path + L".moved";
    if (MoveFileW(path.c_str(), moved.c_str())) {
        done |= 2;
        MoveFileW(moved.c_str(), path.c_str());
    }
    if (DeleteFileW(path.c_str()))
        done |= 4;
    return done;
}
