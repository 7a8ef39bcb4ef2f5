// The sonogram's colours: brightness from the two channels' magnitudes, hue
// from their balance and from how far apart their phases are.
//
// Up to the chromaticity the arithmetic is single precision; the conversion
// to red, green and blue is double precision. atan2 and exp are evaluated in
// double and rounded to float, so that both C libraries give the same float.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "analyser/sono.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTwoOverPi = 0.63661975f;
constexpr float kLogisticFloor = 0.04742587357759476f;  // 1 / (1 + e^3)
constexpr float kLogisticScale = 1.1047914028167725f;   // 1 / (1 - 2 / (1 + e^3))
constexpr float kGeometricWeight = 0.29289323f;         // 1 - sqrt(1/2)
constexpr float kPeakWeight = 0.70710677f;              // sqrt(1/2)
constexpr float kGreenX = 0.321f, kGreenY = 0.597f;
constexpr float kWhiteX = 0.312731f, kWhiteY = 0.329033f;
constexpr double kGreenZ = 0.0820000171661377;   // 1 - (x + y) of green, in single precision
constexpr double kWhiteZ = 0.35823601484298706;  // 1 - (x + y) of white, in single precision
constexpr double kGamma = 0.45454543828964233;   // 1 / 2.2 in single precision
constexpr PIX_PackedColor kOpaque = 0xFF000000u;

float Atan2(float y, float x)
{
    return float(std::atan2(double(y), double(x)));
}
float Exp(float v)
{
    return float(std::exp(double(v)));
}

// 0 for equal phases, 1 for opposite ones; a difference near 2 pi is near 0.
// Phases of exactly pi and -pi could leave a rounding hair below 0.
float PhaseDistance(float lr, float li, float rr, float ri)
{
    const float d = 1.0f - std::fabs(1.0f - std::fabs(Atan2(li, lr) - Atan2(ri, rr)) / kPi);
    return d > 0.0f ? d : 0.0f;
}

// 0 for the left channel alone, 0.5 for equal magnitudes, 1 for the right.
float Balance(float mL, float mR)
{
    return Atan2(mR, mL) * kTwoOverPi;
}

// Centredness times phase distance on a logistic curve from 0 to 1.
float Opposition(float b, float d)
{
    float u = (1.0f - std::fabs(1.0f - 2.0f * b)) * d;
    if (u < 0.0f) u = 0.0f;
    const float logistic = 1.0f / (1.0f + Exp(-3.0f * (2.0f * std::sqrt(u) - 1.0f)));
    return (logistic - kLogisticFloor) * kLogisticScale;
}

// Reddish orange at b = 0, the white point at 0.5, blue at 1.
float BalanceX(float b)
{
    return 0.249076f * b * b - 0.699076f * b + 0.6f;
}
float BalanceY(float b)
{
    return 0.4f + 0.016132f * b - 0.316132f * b * b;
}

// The byte of a linear channel value as the conversion makes it:
// (int)(min(float(L^gamma), 1) * 255) with negative values as 0.
int DirectGammaByte(double linear)
{
    const float rgb[3] = {linear > 0.0 ? float(std::pow(linear, kGamma)) : 0.0f, 0.0f, 0.0f};
    unsigned char bytes[3];
    RgbToPixelBytes(rgb, bytes);
    return bytes[2];
}

// The same from a table: the byte never falls as the value grows, so it is
// the number of bytes whose smallest linear value the value reaches. Each
// smallest value is found once by bisecting the positive doubles, which
// order as their bit patterns do.
class GammaTable {
public:
    GammaTable()
    {
        for (int b = 1; b < 256; ++b) {
            uint64_t lo = Bits(0.0), hi = Bits(1.0);  // Byte(lo) < b <= Byte(hi)
            while (hi - lo > 1) {
                const uint64_t mid = lo + (hi - lo) / 2;
                (DirectGammaByte(Value(mid)) >= b ? hi : lo) = mid;
            }
            mThreshold[b - 1] = Value(hi);
        }
    }
    int Byte(double linear) const
    {
        int n = 0;
        for (int step = 128; step > 0; step >>= 1)
            if (n + step <= 255 && linear >= mThreshold[n + step - 1]) n += step;
        return n;
    }

private:
    static uint64_t Bits(double v)
    {
        uint64_t u;
        std::memcpy(&u, &v, sizeof u);
        return u;
    }
    static double Value(uint64_t u)
    {
        double v;
        std::memcpy(&v, &u, sizeof v);
        return v;
    }
    double mThreshold[255];
};

const GammaTable& Gamma()
{
    static const GammaTable table;
    return table;
}

}  // namespace

SonoColouring SonoColourMode(int channelMode, int phaseMode)
{
    if (phaseMode == 0) return channelMode == 1 ? kColourBalanceOnly : kColourMagnitudeOnly;
    switch (channelMode) {
        case 0:
            return kColourOppositionOnly;
        case 2:
            return kColourPhaseOnWhite;
        default:
            return kColourBalanceAndPhase;
    }
}

PIX_PackedColor SonoBinPixel(float lr, float li, float rr, float ri, int colourMode)
{
    const float mL = std::sqrt(lr * lr + li * li);
    const float mR = std::sqrt(rr * rr + ri * ri);
    const float geometric = std::sqrt(mL * mR);
    float x, y, Y;
    switch (colourMode) {
        case kColourOppositionOnly:
            x = kGreenX;
            y = kGreenY;
            Y = PhaseDistance(lr, li, rr, ri) * geometric;
            return ChromaticityToPixel(x, y, Y, colourMode);
        case kColourBalanceAndPhase: {
            const float b = Balance(mL, mR);
            const float o = Opposition(b, PhaseDistance(lr, li, rr, ri));
            const float xb = BalanceX(b), yb = BalanceY(b);
            x = xb + (kGreenX - xb) * o;
            y = yb + (kGreenY - yb) * o;
            break;
        }
        case kColourPhaseOnWhite: {
            const float o = Opposition(Balance(mL, mR), PhaseDistance(lr, li, rr, ri));
            x = kWhiteX + 0.008269012f * o;
            y = 0.32903299f + 0.26796702f * o;
            break;
        }
        case kColourBalanceOnly: {
            const float b = Balance(mL, mR);
            x = BalanceX(b);
            y = BalanceY(b);
            break;
        }
        default:  // kColourMagnitudeOnly
            x = kWhiteX;
            y = kWhiteY;
            break;
    }
    Y = kGeometricWeight * geometric + kPeakWeight * (mL > mR ? mL : mR);
    return ChromaticityToPixel(x, y, Y, colourMode);
}

// z in single precision, as the fixed z of the opposition-only and
// magnitude-only modes are; double precision from there on: X, Z, the matrix
// and the power.
PIX_PackedColor ChromaticityToPixel(float x, float y, float Y, int colourMode)
{
    if (y == 0.0f) return kOpaque;
    const double z = colourMode == kColourOppositionOnly  ? kGreenZ
                     : colourMode == kColourMagnitudeOnly ? kWhiteZ
                                                          : double(1.0f - (x + y));
    const double X = double(x) * Y / y;
    const double Z = z * Y / y;
    const double linear[3] = {
        3.240479 * X - 1.53715 * Y - 0.498535 * Z,
        -0.969256 * X + 1.875991 * Y + 0.041556 * Z,
        0.055648 * X - 0.204043 * Y + 1.057311 * Z,
    };
    const GammaTable& gamma = Gamma();
    return kOpaque | PIX_PackedColor(gamma.Byte(linear[0])) << 16 |
           PIX_PackedColor(gamma.Byte(linear[1])) << 8 | PIX_PackedColor(gamma.Byte(linear[2]));
}

void RgbToPixelBytes(const float rgb[3], unsigned char out[3])
{
    for (int i = 0; i < 3; ++i) {
        float v = rgb[i] > 0.0f ? rgb[i] : 0.0f;  // a NaN must not reach the conversion
        if (v > 1.0f) v = 1.0f;
        out[2 - i] = static_cast<unsigned char>(int(v * 255.0f));
    }
}
