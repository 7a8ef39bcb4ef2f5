// The five analysis windows: each shape is computed in extended precision,
// stored in single precision and scaled so that the root of the table's sum
// of squares is the window's own constant M.
#include <cmath>

#include "analyser/spectrum_analyser.h"

namespace {

using Extended = long double;
constexpr int kSize = SpectrumAnalyser::kFrame;

constexpr double kStep = 0.012295861657885687;           // 2 pi / 511
constexpr double kStepSingle = 0.01229586156627438;      // 2 pi / 511 in single precision
constexpr double kHalfStepSingle = 0.00614793078313719;  // pi / 511 in single precision

Extended CosineSum(const Extended (&a)[5], double step, int k)
{
    Extended sum = a[0];
    Extended sign = -1;
    for (int j = 1; j < 5; ++j, sign = -sign) sum += sign * a[j] * std::cos(Extended(j) * k * step);
    return sum;
}

void BlackmanHarris(float* w)
{
    static const Extended a[5] = {0.35875L, 0.48829L, 0.14128L, 0.01168L, 0};
    for (int k = 0; k < kSize; ++k) w[k] = float(CosineSum(a, kStep, k));
}

void Nutall(float* w)
{
    static const Extended a[5] = {0.355768L, 0.487396L, 0.144232L, 0.012604L, 0};
    for (int k = 0; k < kSize; ++k) w[k] = float(CosineSum(a, kStep, k));
}

void FlatTop(float* w)
{
    static const Extended a[5] = {1, 1.93f, 1.29f, 0.388f, 0.032f};
    for (int k = 0; k < kSize; ++k) w[k] = float(CosineSum(a, kStepSingle, k));
}

void MerelsSineWaves(float* w)
{
    for (int k = 0; k < kSize; ++k) {
        const Extended l = std::fabs(std::sin(Extended(k) * kHalfStepSingle));
        w[k] = float((std::sqrt(l) + l + 6 * l * l) * Extended(0.125));
    }
}

// The Chebyshev polynomial of degree 511.
Extended Chebyshev511(Extended y)
{
    if (std::fabs(y) <= 1) return std::cos(511 * std::atan2(std::sqrt(1 - y * y), y));
    return std::cosh(511 * std::acosh(y));
}

void DolphChebyshev(float* w)
{
    const Extended x0 = 1.0001106283669687;
    Extended g = Chebyshev511(x0 * Extended(0.9999811752826011));
    for (int k = 2; k <= 256; ++k)
        g += Chebyshev511(x0 * std::cos(Extended(k) * 0.006135923151542565));
    for (int i = 0; i < kSize / 2; ++i) {
        const float v = float(1000 + 2 * g * std::cos(Extended(i - 256) * 0.01227184630308513));
        w[i] = v;
        w[kSize - 1 - i] = v;
    }
}

struct WindowKind {
    const char* name;
    void (*fill)(float* w);
    double scale;
};

const WindowKind kWindows[] = {
    {"blackman-harris", BlackmanHarris, 320.7585538851191},
    {"nutall", Nutall, 322.0934666171196},
    {"dolph-chebyshev", DolphChebyshev, 286.34200106975584},
    {"flat-top", FlatTop, 419.672131147541},
    {"merel's sine waves", MerelsSineWaves, 265.10887586587563},
};

}  // namespace

void SpectrumAnalyser::SetWindowType(int type)
{
    const int selected = type & 0xFF;
    const WindowKind& kind = kWindows[selected < 5 ? selected : 0];
    mWindowName.Assign(kind.name);
    kind.fill(mWindow);

    Extended sum = 0;
    for (int k = 0; k < kSize; ++k) sum += Extended(mWindow[k]) * mWindow[k];
    const Extended f = kind.scale / std::sqrt(sum);
    for (int k = 0; k < kSize; ++k) mWindow[k] = float(mWindow[k] * f);
}
