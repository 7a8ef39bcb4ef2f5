#include <windows.h>

#include <climits>
#include <cstdio>

#include "raster/png_image.h"

static_assert(sizeof(HINSTANCE) == sizeof(HINSTANCE__*), "the header's module handle is HINSTANCE");

PIX_IBitmap* PIX_DecodePngResource(HINSTANCE instance, int resourceId, PIX_IBitmap* into)
{
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(WORD(resourceId)), "PNG");
    if (!resource) return nullptr;
    const DWORD size = SizeofResource(instance, resource);
    if (size <= 7 || size > DWORD(INT_MAX)) return nullptr;
    HGLOBAL handle = LoadResource(instance, resource);
    if (!handle) return nullptr;
    const void* address = LockResource(handle);
    if (!address) return nullptr;
    return PIX_DecodePngMemory(address, int(size), into);
}

FILE* PIX_OpenPngFile(const char* path)
{
    if (!path) return nullptr;
    // NT-family systems open the path as UTF-16; otherwise, or when that
    // fails, the bytes go to fopen as they are.
    if ((GetVersion() & 0x80000000u) == 0) {
        wchar_t wide[2048];
        if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide, 2048) > 0)
            if (FILE* file = _wfopen(wide, L"rb")) return file;
    }
    return std::fopen(path, "rb");
}
