#include <cstdlib>

#include "raster/native_context.h"
#include "raster/sys_bitmap.h"

// Natively the pixels live on the heap, and the device context is the native
// text renderer's.

PIX_SysBitmap::PIX_SysBitmap(int width, int height)
{
    mContext = PIX_CreateNativeContext(this);
    SetSize(width, height);
}

PIX_SysBitmap::~PIX_SysBitmap()
{
    ReleaseSection();
    PIX_DeleteNativeContext(mContext);
}

PIX_PackedColor* PIX_SysBitmap::PixelData() const
{
    return static_cast<PIX_PackedColor*>(mBits);
}

bool PIX_SysBitmap::HasContext() const
{
    return mContext != nullptr;
}

bool PIX_SysBitmap::CreateSection()
{
    mBits = std::malloc(size_t(4) * size_t(mAllocatedWidth) * size_t(mAllocatedHeight));
    return mBits != nullptr;
}

void PIX_SysBitmap::ReleaseSection()
{
    std::free(mBits);
    mBits = nullptr;
}
