#pragma once

#include "analyser/heap_array.h"

// The 512-point real transform with a positive exponent, unscaled:
// X[k] = sum x[n] (cos(2 pi n k / 512) + i sin(2 pi n k / 512)).
// Output layout: out[0..256] the real parts of bins 0..256, out[256 + k] the
// imaginary part of bin k for k = 1..255.
class RealFft {
public:
    static constexpr int kSize = 512;
    static constexpr int kQuarter = kSize / 4;

    RealFft();
    ~RealFft() { Release(); }
    RealFft(const RealFft&) = delete;
    RealFft& operator=(const RealFft&) = delete;

    // x and out are distinct 512-float buffers; x is only read.
    // Does nothing when the tables could not be allocated.
    void Transform(const float* x, float* out);
    // The same with one butterfly at a time: what Transform runs where the
    // processor has no SSE2; elsewhere it gives Transform's bits.
    void TransformScalar(const float* x, float* out);

    // Releases the cosine table, the bit-reversal table and the work buffer.
    void Release();

    const float* CosineTable() const { return mCosines.data; }
    const int* BitReversalTable() const { return mBitReversal.data; }

private:
    HeapArray<float> mWork;
    HeapArray<int> mBitReversal;
    HeapArray<float> mCosines;
};
