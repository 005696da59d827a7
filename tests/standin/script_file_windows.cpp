#include "script_file.h"

#include <windows.h>

#include <cstdlib>

std::FILE* open_script(const char* path, bool utf8) {
    if (!utf8) return std::fopen(path, "rb");
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (size <= 0) return nullptr;
    wchar_t* wide = static_cast<wchar_t*>(std::malloc(size * sizeof(wchar_t)));
    MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, size);
    std::FILE* file = _wfopen(wide, L"rb");
    std::free(wide);
    return file;
}
