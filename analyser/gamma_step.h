#pragma once

#include <cstdint>

#include "analyser/float_bits.h"

// The byte of a linear channel value, exact for every float v:
// (int)(min(float(v^(1/2.2)), 1) * 255), with the power in double precision
// and 0 for v <= 0 or NaN. The byte is a step function of v; the bytes'
// thresholds are found once, by bisection, and a table indexed by the float's
// exponent and top 8 bits of mantissa gives the byte at the start of each
// bucket: a bucket is narrower than the gap between two thresholds, so one
// comparison with the next threshold finishes it.
class GammaStep {
public:
    // Below kLowest every byte is 0; from kHighest on, 255.
    static constexpr float kLowest = 0x1p-18f;
    static constexpr float kHighest = 1.0f;
    // Buckets: the exponent and the top 7 bits of the mantissa.
    static constexpr int kBucketShift = 16;

    GammaStep();

    // The byte of a value within [kLowest, kHighest], from its bit pattern.
    // Such values order as their patterns do.
    int ClampedByteOfBits(uint32_t bits) const
    {
        const Bucket& bucket = buckets[(bits >> kBucketShift) - kFirstBucket];
        return bucket.byte + (bits >= bucket.nextThreshold ? 1 : 0);
    }
    // The byte of any v.
    int Byte(float v) const
    {
        const float clamped = v > kLowest ? (v < kHighest ? v : kHighest) : kLowest;
        return ClampedByteOfBits(FloatBits(clamped));
    }
    // The smallest value whose byte exceeds b (b from 0 to 254).
    float Threshold(int b) const { return threshold[b]; }

private:
    struct Bucket {
        uint32_t nextThreshold;  // the pattern of the threshold of byte + 1
        uint32_t byte;           // the byte at the bucket's start
    };
    static constexpr uint32_t kFirstBucket = (127u - 18u) << (23 - kBucketShift);
    static constexpr uint32_t kLastBucket = 127u << (23 - kBucketShift);
    Bucket buckets[kLastBucket - kFirstBucket + 1];
    float threshold[255];
};

const GammaStep& SonoGammaStep();

// Bytes of min(value, 1) * 255, truncated: out[2] red, out[1] green, out[0] blue.
void RgbToPixelBytes(const float rgb[3], unsigned char out[3]);
