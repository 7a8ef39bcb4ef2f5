#include <climits>

#include "raster/sys_bitmap.h"

bool PIX_SysBitmap::SetSize(int width, int height)
{
    if (!HasContext()) {
        mWidth = mHeight = 0;
        mBits = nullptr;
        return false;
    }
    if (width == mWidth && height == mHeight) return false;
    mWidth = width;
    mHeight = height;
    if (width > 0 && height > 0 && width <= mAllocatedWidth && height <= mAllocatedHeight && mBits)
        return true;

    ReleaseSection();
    const int64_t allocatedWidth = (int64_t(width) + 3) & ~int64_t(3);
    const bool representable = width >= 0 && height >= 0 && allocatedWidth <= INT_MAX;
    if (representable) {
        mAllocatedWidth = int(allocatedWidth);
        mAllocatedHeight = height;
        if (allocatedWidth == 0 || height == 0) return false;
        if (4 * allocatedWidth * height <= PIX_MaxBitmapBytes && CreateSection()) return true;
    }
    // A size the system could not give: empty, as after a failed allocation.
    mAllocatedWidth = mAllocatedHeight = 0;
    mWidth = mHeight = 0;
    return true;
}
