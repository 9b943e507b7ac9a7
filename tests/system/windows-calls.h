// Built into tst_native ahead of everything, the Windows file layer included:
// each path the layer hands to a Windows file call is noted on its way, so
// the test sees what reaches Windows, not only what comes back.
#pragma once

#include <string>
#include <vector>
#include <windows.h>

inline std::vector<std::wstring> windowsPaths;

inline const wchar_t *noted(const wchar_t *path)
{
    windowsPaths.emplace_back(path);
    return path;
}

#define CreateFileW(path, ...) CreateFileW(noted(path), __VA_ARGS__)
#define GetFileAttributesW(path) GetFileAttributesW(noted(path))
#define DeleteFileW(path) DeleteFileW(noted(path))
#define MoveFileExW(from, to, flags) MoveFileExW(noted(from), noted(to), flags)
