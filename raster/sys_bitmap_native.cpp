#include <cstdlib>

#include "raster/sys_bitmap.h"

// Natively the pixels live on the heap; there is no device context, but the
// bitmap sizes itself as if there were one.

PIX_SysBitmap::PIX_SysBitmap(int width, int height) { SetSize(width, height); }

PIX_SysBitmap::~PIX_SysBitmap() { ReleaseSection(); }

PIX_PackedColor* PIX_SysBitmap::PixelData() const { return static_cast<PIX_PackedColor*>(mBits); }

bool PIX_SysBitmap::HasContext() const { return true; }

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
