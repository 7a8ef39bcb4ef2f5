// The sonogram's colours, four bins at a time, in single precision
// throughout: the phase distance and the balance by one arctangent each, the
// opposition's logistic curve, the chromaticity, the matrix to linear red,
// green and blue, and the exact gamma step. One routine per colour mode.

#include "analyser/sono_colour.h"

#include "analyser/colour_maths.h"
#include "analyser/float_lanes.h"
#include "analyser/gamma_step.h"

namespace {

constexpr float kLogisticFloor = 0.04742587357759476f;  // 1 / (1 + e^3)
constexpr float kLogisticScale = 1.1047914028167725f;   // 1 / (1 - 2 / (1 + e^3))
constexpr float kGeometricWeight = 0.29289323f;         // 1 - sqrt(1/2)
constexpr float kPeakWeight = 0.70710677f;              // sqrt(1/2)
constexpr float kGreenX = 0.321f, kGreenY = 0.597f;
constexpr float kWhiteX = 0.312731f, kWhiteY = 0.329033f;
constexpr float kGreenZ = 0.0820000171661377f;   // 1 - (x + y) of green, in single precision
constexpr float kWhiteZ = 0.35823601484298706f;  // 1 - (x + y) of white, in single precision
constexpr PIX_PackedColor kOpaque = 0xFF000000u;

// 0 for equal phases, 1 for opposite ones: the angle between the two bins,
// atan2(|L x R|, L . R), over pi. A difference near 2 pi is near 0.
template <class L>
ALWAYS_INLINE L PhaseDistance(L lr, L li, L rr, L ri)
{
    const L cross = lr * ri - li * rr;
    const L dot = lr * rr + li * ri;
    return AtanQuarterTurns(Abs(cross), dot) * L::All(0.5f);
}

// Centredness times phase distance on a logistic curve from 0 to 1.
template <class L>
ALWAYS_INLINE L Opposition(L b, L d)
{
    const L one = L::All(1.0f);
    const L u = Max((one - Abs(one - L::All(2.0f) * b)) * d, L::All(0.0f));
    const L logistic = one / (one + Exp(L::All(-3.0f) * (L::All(2.0f) * Sqrt(u) - one)));
    return (logistic - L::All(kLogisticFloor)) * L::All(kLogisticScale);
}

// Reddish orange at b = 0, the white point at 0.5, blue at 1.
template <class L>
ALWAYS_INLINE L BalanceX(L b)
{
    return L::All(0.249076f) * b * b - L::All(0.699076f) * b + L::All(0.6f);
}
template <class L>
ALWAYS_INLINE L BalanceY(L b)
{
    return L::All(0.4f) + L::All(0.016132f) * b - L::All(0.316132f) * b * b;
}

// Linear red, green and blue of (x, y, Y) with z, clamped to the gamma
// step's range; black where y is 0.
template <class L>
ALWAYS_INLINE void ChromaticityToLinear(L x, L y, L Y, L z, L rgb[3])
{
    const L scale = Y / y;
    const L X = x * scale;
    const L Z = z * scale;
    const L linear[3] = {
        L::All(3.240479f) * X - L::All(1.53715f) * Y - L::All(0.498535f) * Z,
        L::All(-0.969256f) * X + L::All(1.875991f) * Y + L::All(0.041556f) * Z,
        L::All(0.055648f) * X - L::All(0.204043f) * Y + L::All(1.057311f) * Z,
    };
    const L zero = L::All(0.0f);
    for (int i = 0; i < 3; ++i) {
        const L clamped =
            Min(Max(linear[i], L::All(GammaStep::kLowest)), L::All(GammaStep::kHighest));
        rgb[i] = IfEqual(y, zero, L::All(GammaStep::kLowest), clamped);
    }
}

// The linear colour of four bins in colour mode Mode.
template <int Mode, class L>
ALWAYS_INLINE void BinsToLinear(L lr, L li, L rr, L ri, L rgb[3])
{
    const L mL = Sqrt(lr * lr + li * li);
    const L mR = Sqrt(rr * rr + ri * ri);
    const L geometric = Sqrt(mL * mR);
    if constexpr (Mode == kColourOppositionOnly) {
        const L Y = PhaseDistance(lr, li, rr, ri) * geometric;
        ChromaticityToLinear(L::All(kGreenX), L::All(kGreenY), Y, L::All(kGreenZ), rgb);
        return;
    }
    const L Y = L::All(kGeometricWeight) * geometric + L::All(kPeakWeight) * Max(mL, mR);
    if constexpr (Mode == kColourMagnitudeOnly) {
        ChromaticityToLinear(L::All(kWhiteX), L::All(kWhiteY), Y, L::All(kWhiteZ), rgb);
        return;
    }
    L x, y;
    if constexpr (Mode == kColourPhaseOnWhite) {
        const L o = Opposition(AtanQuarterTurns(mR, mL), PhaseDistance(lr, li, rr, ri));
        x = L::All(kWhiteX) + L::All(0.008269012f) * o;
        y = L::All(0.32903299f) + L::All(0.26796702f) * o;
    } else {
        const L b = AtanQuarterTurns(mR, mL);  // 0 left alone, 0.5 balanced, 1 right alone
        x = BalanceX(b);
        y = BalanceY(b);
        if constexpr (Mode == kColourBalanceAndPhase) {
            const L o = Opposition(b, PhaseDistance(lr, li, rr, ri));
            x = x + (L::All(kGreenX) - x) * o;
            y = y + (L::All(kGreenY) - y) * o;
        }
    }
    ChromaticityToLinear(x, y, Y, L::All(1.0f) - (x + y), rgb);
}

// The pixel of clamped linear red, green and blue, given as bit patterns.
PIX_PackedColor PackLinear(const GammaStep& gamma, uint32_t red, uint32_t green, uint32_t blue)
{
    return kOpaque | PIX_PackedColor(gamma.ClampedByteOfBits(red)) << 16 |
           PIX_PackedColor(gamma.ClampedByteOfBits(green)) << 8 |
           PIX_PackedColor(gamma.ClampedByteOfBits(blue));
}

template <int Mode, class L>
void ColourBins(const SonoBins& bins, int count, PIX_PackedColor* out)
{
    const GammaStep& gamma = SonoGammaStep();
    for (int j = 0; j < count; j += L::kCount) {
        L rgb[3];
        BinsToLinear<Mode>(L::Load(bins.lr + j), L::Load(bins.li + j), L::Load(bins.rr + j),
                           L::Load(bins.ri + j), rgb);
        uint32_t linear[3][L::kCount];
        for (int i = 0; i < 3; ++i) rgb[i].StoreBits(linear[i]);
        const int lanes = count - j < L::kCount ? count - j : L::kCount;
        for (int k = 0; k < lanes; ++k)
            out[j + k] = PackLinear(gamma, linear[0][k], linear[1][k], linear[2][k]);
    }
}

using ColourBinsFn = void (*)(const SonoBins& bins, int count, PIX_PackedColor* out);

// One routine per colour mode; other values colour as the first.
template <class L>
constexpr ColourBinsFn kColourBins[] = {
    ColourBins<kColourBalanceAndPhase, L>, ColourBins<kColourPhaseOnWhite, L>,
    ColourBins<kColourOppositionOnly, L>,  ColourBins<kColourBalanceOnly, L>,
    ColourBins<kColourMagnitudeOnly, L>,
};

template <class L>
void ColourBinsIn(const SonoBins& bins, int count, int colourMode, PIX_PackedColor* out)
{
    const int mode = colourMode >= 0 && colourMode <= kColourMagnitudeOnly ? colourMode : 0;
    kColourBins<L>[mode](bins, count, out);
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

void SonoBins::PadFrom(int count)
{
    for (int j = count; j < kCapacity && j % kGroup != 0; ++j) Set(j, 0.0f, 0.0f, 0.0f, 0.0f);
}

// Sixteen bins at a time: four independent chains of vector operations keep
// the processor busy through the polynomials' latencies (twice as fast as
// four bins at a time).
using ColourLanes = FloatLanesPair<FloatLanesPair<FloatLanes>>;
static_assert(ColourLanes::kCount == SonoBins::kGroup);

void SonoColourBins(const SonoBins& bins, int count, int colourMode, PIX_PackedColor* out)
{
    ColourBinsIn<ColourLanes>(bins, count, colourMode, out);
}

void SonoColourBinsScalar(const SonoBins& bins, int count, int colourMode, PIX_PackedColor* out)
{
    ColourBinsIn<FloatLanesScalar>(bins, count, colourMode, out);
}

PIX_PackedColor ChromaticityToPixel(float x, float y, float Y, int colourMode)
{
    const float z = colourMode == kColourOppositionOnly  ? kGreenZ
                    : colourMode == kColourMagnitudeOnly ? kWhiteZ
                                                         : 1.0f - (x + y);
    FloatLanes rgb[3];
    ChromaticityToLinear(FloatLanes::All(x), FloatLanes::All(y), FloatLanes::All(Y),
                         FloatLanes::All(z), rgb);
    uint32_t linear[3][FloatLanes::kCount];
    for (int i = 0; i < 3; ++i) rgb[i].StoreBits(linear[i]);
    return PackLinear(SonoGammaStep(), linear[0][0], linear[1][0], linear[2][0]);
}
