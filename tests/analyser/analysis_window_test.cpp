#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "analyser/spectrum_analyser.h"

namespace {

struct Window {
    int type;
    const char* name;
    double scale;
};

const Window kWindows[] = {
    {0, "blackman-harris", 320.7585538851191},     {1, "nutall", 322.0934666171196},
    {2, "dolph-chebyshev", 286.34200106975584},    {3, "flat-top", 419.672131147541},
    {4, "merel's sine waves", 265.10887586587563},
};

double SumOfSquares(const float* w)
{
    double sum = 0;
    for (int k = 0; k < 512; ++k) sum += double(w[k]) * w[k];
    return sum;
}

TEST(AnalysisWindow, EveryWindowHasItsOwnEnergy)
{
    auto analyser = std::make_unique<SpectrumAnalyser>();
    for (const Window& window : kWindows) {
        analyser->SetWindowType(window.type);
        EXPECT_STREQ(analyser->WindowName(), window.name);
        const double expected = window.scale * window.scale;
        EXPECT_NEAR(SumOfSquares(analyser->WindowTable()), expected, expected * 1e-6)
            << window.name;
    }
    analyser->SetWindowType(0);
    EXPECT_NEAR(SumOfSquares(analyser->WindowTable()), 102886.05, 0.05);
}

TEST(AnalysisWindow, TheLowByteSelects)
{
    auto analyser = std::make_unique<SpectrumAnalyser>();
    for (int type : {5, 255, 256, -256}) {
        analyser->SetWindowType(1);
        analyser->SetWindowType(type);
        EXPECT_STREQ(analyser->WindowName(), "blackman-harris") << type;
    }
    analyser->SetWindowType(257);
    EXPECT_STREQ(analyser->WindowName(), "nutall");
}

TEST(AnalysisWindow, ShapesAtTheEnds)
{
    auto analyser = std::make_unique<SpectrumAnalyser>();
    const float* w = analyser->WindowTable();

    analyser->SetWindowType(2);
    EXPECT_LT(w[0], 0.0f);
    EXPECT_LT(w[511], 0.0f);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(w[i], w[511 - i]) << i;
    // The raised cosine's ends and centre keep their ratio through the scaling.
    EXPECT_NEAR(w[0] / w[256], -90.11 / 2090.03, 1e-4);

    analyser->SetWindowType(1);
    EXPECT_NEAR(w[0], 0.0f, 1e-6);
    analyser->SetWindowType(4);
    EXPECT_EQ(w[0], 0.0f);

    for (int type : {0, 1, 3}) {  // periodic in 511 samples
        analyser->SetWindowType(type);
        EXPECT_NEAR(w[0], w[511], 1e-5f * std::abs(w[256])) << type;
        EXPECT_GT(w[256], w[100]);
    }
}

}  // namespace
