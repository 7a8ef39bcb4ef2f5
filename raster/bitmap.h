#pragma once

#include <cstdint>

#include "raster/pixel.h"

// The system's drawing context, opaque here (HDC on Windows).
struct HDC__;
using PIX_DeviceContext = HDC__*;

// The largest pixel block a bitmap asks for; larger sizes fail as an
// allocation would.
constexpr int64_t PIX_MaxBitmapBytes = int64_t(1) << 31;

// An abstract 32-bit bitmap. Pixel (x, y) lies at PixelData() +
// y * RowStride() + x, or at row PixelHeight() - 1 - y when bottom-up.
class PIX_IBitmap {
public:
    virtual ~PIX_IBitmap() {}
    virtual PIX_PackedColor* PixelData() const = 0;
    virtual int PixelWidth() const = 0;
    virtual int PixelHeight() const = 0;
    // Distance in pixels between the starts of two rows.
    virtual int RowStride() const = 0;
    virtual bool IsBottomUp() const { return false; }
    // Changes the size; pixel contents are undefined afterwards.
    virtual bool SetSize(int width, int height) = 0;
    virtual PIX_DeviceContext DeviceContext() { return nullptr; }
    virtual intptr_t ExtensionQuery(int, void*) { return 0; }
};

// A bitmap on a heap block: pixels start on 64 bytes, rows are padded to the
// row alignment, and the block grows by a quarter beyond the need and never
// shrinks.
class PIX_MemBitmap : public PIX_IBitmap {
public:
    PIX_MemBitmap(int width, int height, unsigned rowAlignment);
    ~PIX_MemBitmap() override;
    PIX_MemBitmap(const PIX_MemBitmap&) = delete;
    PIX_MemBitmap& operator=(const PIX_MemBitmap&) = delete;

    PIX_PackedColor* PixelData() const override;
    int PixelWidth() const override { return mWidth; }
    int PixelHeight() const override { return mHeight; }
    int RowStride() const override { return (mWidth + mRowMask) & ~mRowMask; }
    // False only for an unchanged size; a failed allocation leaves 0x0.
    bool SetSize(int width, int height) override;

    // Usable bytes of the block (without the alignment slack).
    int64_t AllocatedBytes() const { return mAllocated; }

private:
    void* mAllocation = nullptr;
    int mWidth = 0;
    int mHeight = 0;
    int64_t mAllocated = 0;
    int mRowMask = 0;
};
