#include "analyser/gamma_step.h"

#include <cmath>

namespace {

constexpr double kGamma = 0.45454543828964233;  // 1 / 2.2 in single precision

int DirectByte(float linear)
{
    const float rgb[3] = {linear > 0.0f ? float(std::pow(double(linear), kGamma)) : 0.0f, 0.0f,
                          0.0f};
    unsigned char bytes[3];
    RgbToPixelBytes(rgb, bytes);
    return bytes[2];
}

}  // namespace

// Positive floats order as their bit patterns do: each threshold is found by
// bisecting the patterns between 0 and 1.
GammaStep::GammaStep()
{
    for (int b = 0; b < 255; ++b) {
        uint32_t lo = FloatBits(0.0f),
                 hi = FloatBits(1.0f);  // DirectByte(lo) <= b < DirectByte(hi)
        while (hi - lo > 1) {
            const uint32_t mid = lo + (hi - lo) / 2;
            (DirectByte(FloatFromBits(mid)) > b ? hi : lo) = mid;
        }
        threshold[b] = FloatFromBits(hi);
    }
    int b = 0;
    for (uint32_t i = kFirstBucket; i <= kLastBucket; ++i) {
        const float start = FloatFromBits(i << kBucketShift);
        while (b < 255 && start >= threshold[b]) ++b;
        buckets[i - kFirstBucket] = {b < 255 ? FloatBits(threshold[b]) : UINT32_MAX, uint32_t(b)};
    }
}

const GammaStep& SonoGammaStep()
{
    static const GammaStep step;
    return step;
}

void RgbToPixelBytes(const float rgb[3], unsigned char out[3])
{
    for (int i = 0; i < 3; ++i) {
        float v = rgb[i] > 0.0f ? rgb[i] : 0.0f;  // a NaN must not reach the conversion
        if (v > 1.0f) v = 1.0f;
        out[2 - i] = static_cast<unsigned char>(int(v * 255.0f));
    }
}
