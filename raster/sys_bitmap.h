#pragma once

#include "raster/bitmap.h"

struct HBITMAP__;

// A bitmap whose pixels the system can draw into: on Windows a top-down
// 32-bit DIB section selected into a memory device context of its own; in
// the native build the same rows on the heap, with the native text
// renderer's context.
// The section is kept while a new size fits it; its width is rounded up to
// 4 pixels.
class PIX_SysBitmap : public PIX_IBitmap {
public:
    PIX_SysBitmap(int width, int height);
    ~PIX_SysBitmap() override;
    PIX_SysBitmap(const PIX_SysBitmap&) = delete;
    PIX_SysBitmap& operator=(const PIX_SysBitmap&) = delete;

    // On Windows, completes pending GDI drawing first.
    PIX_PackedColor* PixelData() const override;
    int PixelWidth() const override { return mWidth; }
    int PixelHeight() const override { return mHeight; }
    int RowStride() const override { return mAllocatedWidth; }
    // False for an unchanged size, an empty size or a missing context; a
    // failed section leaves 0x0 and answers true.
    bool SetSize(int width, int height) override;
    PIX_DeviceContext DeviceContext() override { return mContext; }

private:
    bool HasContext() const;
    // Makes a section of the allocated size; false leaves none.
    bool CreateSection();
    void ReleaseSection();

    int mWidth = 0;
    int mHeight = 0;
    PIX_DeviceContext mContext = nullptr;
    void* mBits = nullptr;
    int mAllocatedWidth = 0;
    int mAllocatedHeight = 0;
    HBITMAP__* mSection = nullptr;
    void* mPreviousObject = nullptr;
};
