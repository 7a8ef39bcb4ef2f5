#include <cstdlib>

#include "raster/bitmap.h"

namespace {

constexpr int64_t kAlignmentSlack = 63;

// Largest power of two dividing the alignment, at most 16, minus one.
int RowMaskFor(unsigned rowAlignment)
{
    if (rowAlignment < 2) return 0;
    unsigned low = rowAlignment & (0u - rowAlignment);
    if (low > 16) low = 16;
    return int(low - 1);
}

}  // namespace

PIX_MemBitmap::PIX_MemBitmap(int width, int height, unsigned rowAlignment)
    : mRowMask(RowMaskFor(rowAlignment))
{
    if (width != 0 || height != 0) SetSize(width, height);
}

PIX_MemBitmap::~PIX_MemBitmap()
{
    std::free(mAllocation);
}

PIX_PackedColor* PIX_MemBitmap::PixelData() const
{
    if (!mAllocation) return nullptr;
    const uintptr_t address = (reinterpret_cast<uintptr_t>(mAllocation) + 63) & ~uintptr_t(63);
    return reinterpret_cast<PIX_PackedColor*>(address);
}

bool PIX_MemBitmap::SetSize(int width, int height)
{
    if (width == mWidth && height == mHeight) return false;
    mWidth = width;
    mHeight = height;

    const int64_t stride = (int64_t(width) + mRowMask) & ~int64_t(mRowMask);
    const int64_t need = width > 0 && height > 0 ? 4 * stride * height : 0;
    if (need <= 0) {
        std::free(mAllocation);
        mAllocation = nullptr;
        mAllocated = 0;
        mWidth = mHeight = 0;
        return true;
    }
    if (mAllocation && mAllocated >= need) return true;

    if (mAllocation) {
        const int64_t grown = need + need / 4;
        void* block = grown <= PIX_MaxBitmapBytes
                          ? std::realloc(mAllocation, size_t(grown + kAlignmentSlack))
                          : nullptr;
        if (block) {
            mAllocation = block;
            mAllocated = grown;
            return true;
        }
        std::free(mAllocation);
        mAllocation = nullptr;
    }
    mAllocated = need;
    if (need <= PIX_MaxBitmapBytes) mAllocation = std::malloc(size_t(need + kAlignmentSlack));
    if (!mAllocation) mWidth = mHeight = 0;
    return true;
}
