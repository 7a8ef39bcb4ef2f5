#include <windows.h>

#include "raster/sys_bitmap.h"

PIX_SysBitmap::PIX_SysBitmap(int width, int height)
{
    mContext = CreateCompatibleDC(nullptr);
    SetSize(width, height);
}

PIX_SysBitmap::~PIX_SysBitmap()
{
    ReleaseSection();
    if (mContext) DeleteDC(mContext);
}

PIX_PackedColor* PIX_SysBitmap::PixelData() const
{
    if (mBits) GdiFlush();
    return static_cast<PIX_PackedColor*>(mBits);
}

bool PIX_SysBitmap::HasContext() const
{
    return mContext != nullptr;
}

bool PIX_SysBitmap::CreateSection()
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = mAllocatedWidth;
    info.bmiHeader.biHeight = IsBottomUp() ? mAllocatedHeight : -mAllocatedHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) {
        if (section) DeleteObject(section);
        return false;
    }
    mSection = section;
    mBits = bits;
    mPreviousObject = SelectObject(mContext, section);
    return true;
}

void PIX_SysBitmap::ReleaseSection()
{
    if (mPreviousObject && mContext) SelectObject(mContext, static_cast<HGDIOBJ>(mPreviousObject));
    mPreviousObject = nullptr;
    if (mSection) DeleteObject(mSection);
    mSection = nullptr;
    mBits = nullptr;
}
