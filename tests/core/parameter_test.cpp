#include "core/parameter.h"

#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>

#include "support/failing_allocator.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::string Format(const IParameter& p, double v, bool normalized = false,
                   bool useValueTexts = false)
{
    char out[IParameter::kTextSize];
    p.FormatValue(v, normalized, out, useValueTexts);
    return out;
}

double Minimum(const IParameter& p)
{
    double minimum = 0.0;
    p.RangeLimits(&minimum, nullptr);
    return minimum;
}

double Maximum(const IParameter& p)
{
    double maximum = 0.0;
    p.RangeLimits(nullptr, &maximum);
    return maximum;
}

TEST(Parameter, ConstructedRecordIsUnsetOverZeroToOne)
{
    IParameter p;
    EXPECT_EQ(p.Kind(), IParameterKind::NotSet);
    EXPECT_EQ(p.Value(), 0.0);
    EXPECT_EQ(Minimum(p), 0.0);
    EXPECT_EQ(Maximum(p), 1.0);
    EXPECT_EQ(p.Step(), 1.0);
    EXPECT_EQ(p.Shape(), 1.0);
    EXPECT_EQ(p.DefaultValue(), 0.0);
    EXPECT_EQ(p.DisplayPrecision(), 0);
    EXPECT_FALSE(p.NegateDisplay());
    EXPECT_STREQ(p.Name(), "");
    EXPECT_STREQ(p.UnitLabel(), "");
    EXPECT_STREQ(p.Group(), "");
    EXPECT_EQ(p.ValueTextCount(), 0);
}

TEST(Parameter, SetupIntStoresAnIntegerRange)
{
    IParameter p;
    p.SetupInt("taps", 3, 0, 10, "n", "filter");
    EXPECT_EQ(p.Kind(), IParameterKind::Int);
    EXPECT_EQ(p.Value(), 3.0);
    EXPECT_EQ(p.DefaultValue(), 3.0);
    EXPECT_EQ(Minimum(p), 0.0);
    EXPECT_EQ(Maximum(p), 10.0);
    EXPECT_EQ(p.Step(), 1.0);
    EXPECT_EQ(p.Shape(), 1.0);
    EXPECT_EQ(p.DisplayPrecision(), 0);
    EXPECT_STREQ(p.Name(), "taps");
    EXPECT_STREQ(p.UnitLabel(), "n");
    EXPECT_STREQ(p.Group(), "filter");
}

TEST(Parameter, OutermostSetupDecidesTheKind)
{
    IParameter e;
    e.SetupEnum("mode", 2, 4, "", "");
    EXPECT_EQ(e.Kind(), IParameterKind::Enum);
    EXPECT_EQ(Minimum(e), 0.0);
    EXPECT_EQ(Maximum(e), 3.0);
    EXPECT_EQ(e.Value(), 2.0);

    IParameter i;
    i.SetupInt("a", 0, 0, 5, "", "");
    i.SetupDouble("b", 0.5, 0.0, 1.0, 0.1, "", "", 1.0);
    EXPECT_EQ(i.Kind(), IParameterKind::Int);
    EXPECT_STREQ(i.Name(), "b");
    EXPECT_EQ(i.Step(), 0.1);
}

TEST(Parameter, SetupBoolAddsOffAndOn)
{
    IParameter p;
    p.SetupBool("bypass", true, "sw", "");
    EXPECT_EQ(p.Kind(), IParameterKind::Bool);
    EXPECT_EQ(Minimum(p), 0.0);
    EXPECT_EQ(Maximum(p), 1.0);
    EXPECT_EQ(p.Value(), 1.0);
    ASSERT_EQ(p.ValueTextCount(), 2);
    int value = -1;
    EXPECT_STREQ(p.ValueTextAt(0, &value), "off");
    EXPECT_EQ(value, 0);
    EXPECT_STREQ(p.ValueTextAt(1, &value), "on");
    EXPECT_EQ(value, 1);
    EXPECT_EQ(Format(p, 1.0, false, true), "on");
    EXPECT_EQ(Format(p, 1.0, false, false), "1");
    EXPECT_STREQ(p.UnitLabel(), "");
}

TEST(Parameter, RangeIsWidenedToOneStep)
{
    IParameter d;
    d.SetupDouble("d", 0.0, 0.0, 0.0, 0.5, "", "", 1.0);
    EXPECT_EQ(Maximum(d), 0.5);
    EXPECT_EQ(d.DisplayPrecision(), 1);

    IParameter i;
    i.SetupInt("i", 5, 5, 2, "", "");
    EXPECT_EQ(Minimum(i), 5.0);
    EXPECT_EQ(Maximum(i), 6.0);

    IParameter exact;
    exact.SetupDouble("e", 0.0, 1.0, 1.25, 0.25, "", "", 1.0);
    EXPECT_EQ(Maximum(exact), 1.25);
}

TEST(Parameter, DisplayPrecisionFollowsTheStep)
{
    struct Case {
        double step;
        int precision;
    };
    const Case cases[] = {
        {1.0, 0},  {10.0, 0},  {0.0, 0},    {0.5, 1},       {2.5, 1},   {0.01, 2},  {0.07, 2},
        {0.25, 2}, {0.001, 3}, {0.0001, 4}, {0.0000001, 6}, {1e-10, 6}, {-0.05, 2}, {0.123, 3},
    };
    for (const Case& c : cases) {
        IParameter p;
        p.SetupDouble("p", 0.0, 0.0, 100.0, c.step, "", "", 1.0);
        EXPECT_EQ(p.DisplayPrecision(), c.precision) << "step " << c.step;
    }
}

TEST(Parameter, CurveExponentIgnoresZeroAndNaN)
{
    IParameter p;
    p.SetupDouble("p", 0.0, 0.0, 1.0, 0.01, "", "", 0.0);
    EXPECT_EQ(p.Shape(), 1.0);
    p.SetCurveExponent(3.0);
    EXPECT_EQ(p.Shape(), 3.0);
    p.SetCurveExponent(0.0);
    EXPECT_EQ(p.Shape(), 3.0);
    p.SetCurveExponent(kNaN);
    EXPECT_EQ(p.Shape(), 3.0);
    p.SetupDouble("p", 0.0, 0.0, 1.0, 0.01, "", "", kNaN);
    EXPECT_EQ(p.Shape(), 3.0);
}

TEST(Parameter, ShapeGivesTheLowerRangeMoreTravel)
{
    IParameter p;
    p.SetupDouble("p", 0.0, 0.0, 100.0, 0.1, "", "", 2.0);
    p.SetFromNormalized(0.5);
    EXPECT_DOUBLE_EQ(p.Value(), 25.0);
    EXPECT_DOUBLE_EQ(p.Normalize(25.0), 0.5);
    EXPECT_DOUBLE_EQ(p.NormalizedValue(), 0.5);
    EXPECT_EQ(p.Normalize(-3.0), 0.0);
    EXPECT_EQ(p.Normalize(1000.0), 1.0);
}

TEST(Parameter, SetFromNormalizedRoundsEveryKindButDouble)
{
    IParameter i;
    i.SetupInt("i", 0, 0, 10, "", "");
    i.SetFromNormalized(0.54);
    EXPECT_EQ(i.Value(), 5.0);
    i.SetFromNormalized(0.56);
    EXPECT_EQ(i.Value(), 6.0);

    // Never set up: still rounded, halves upwards.
    IParameter unset;
    unset.SetFromNormalized(0.5);
    EXPECT_EQ(unset.Value(), 1.0);
    unset.SetFromNormalized(0.49);
    EXPECT_EQ(unset.Value(), 0.0);

    // Multiples of the step are counted from 0, not from the minimum.
    IParameter stepped;
    stepped.SetupInt("s", 1, 0, 1, "", "");
    stepped.SetupDouble("s", 1.0, 1.0, 10.0, 2.0, "", "", 1.0);
    stepped.SetFromNormalized(0.0);
    EXPECT_EQ(stepped.Value(), 2.0);

    IParameter d;
    d.SetupDouble("d", 0.0, 0.0, 10.0, 1.0, "", "", 1.0);
    d.SetFromNormalized(0.54);
    EXPECT_DOUBLE_EQ(d.Value(), 5.4);
}

TEST(Parameter, SetFromNormalizedCapsAtTheMaximumOnly)
{
    IParameter p;
    p.SetupDouble("p", 0.0, 0.0, 1.0, 0.01, "", "", 1.0);
    p.SetFromNormalized(1.2);
    EXPECT_EQ(p.Value(), 1.0);
    p.SetFromNormalized(-0.2);
    EXPECT_DOUBLE_EQ(p.Value(), -0.2);

    // A step beyond the maximum is cut back to it.
    IParameter rounded;
    rounded.SetupInt("r", 0, 0, 1, "", "");
    rounded.SetupDouble("r", 0.0, 0.0, 2.5, 1.0, "", "", 1.0);
    rounded.SetFromNormalized(1.0);
    EXPECT_EQ(rounded.Value(), 2.5);
}

TEST(Parameter, SetClampsAndMapsNaNToTheMinimum)
{
    struct Case {
        double in;
        double out;
    };
    const Case cases[] = {
        {0.3, 0.3},    {-5.0, -2.0},     {5.0, 4.0},         {kNaN, -2.0},
        {-kNaN, -2.0}, {kInfinity, 4.0}, {-kInfinity, -2.0}, {2.5, 2.5},
    };
    for (const Case& c : cases) {
        IParameter p;
        p.SetupInt("p", 0, -2, 4, "", "");
        p.Set(c.in);
        EXPECT_EQ(p.Value(), c.out) << "set " << c.in;
    }
}

TEST(Parameter, DecibelsToAmplitude)
{
    IParameter p;
    p.SetupDouble("gain", 0.0, -60.0, 20.0, 0.1, "dB", "", 1.0);
    EXPECT_DOUBLE_EQ(p.DecibelsToAmplitude(), 1.0);
    p.Set(-6.0);
    EXPECT_NEAR(p.DecibelsToAmplitude(), 0.501187, 1e-6);
    p.Set(20.0);
    EXPECT_NEAR(p.DecibelsToAmplitude(), 10.0, 1e-9);
}

TEST(Parameter, FormatValueShowsThePrecisionOrATruncatedInteger)
{
    struct Case {
        double step;
        double v;
        const char* text;
    };
    const Case cases[] = {
        {0.01, 2.7182, "2.72"},
        {1.0, 2.7182, "2"},
        {1.0, -0.7, "0"},
        {1.0, -2.7, "-2"},
        {0.5, -0.25, "-0.2"},
        {0.001, 1.0, "1.000"},
        {1.0, 1e10, "2147483647"},
        {1.0, -1e10, "-2147483648"},
        {1.0, kInfinity, "2147483647"},
        {1.0, -kInfinity, "-2147483648"},
        {1.0, kNaN, "0"},
    };
    for (const Case& c : cases) {
        IParameter p;
        p.SetupDouble("p", 0.0, 0.0, 1.0, c.step, "", "", 1.0);
        EXPECT_EQ(Format(p, c.v), c.text) << "step " << c.step << " value " << c.v;
    }
}

TEST(Parameter, FormatValueWritesAtMostThirtyTwoBytes)
{
    const double values[] = {1e300, -1e300, 123456789012345678901234567890.0};
    for (double v : values) {
        IParameter p;
        p.SetupDouble("p", 0.0, 0.0, 1.0, 0.000001, "", "", 1.0);
        char out[64];
        std::memset(out, '#', sizeof out);
        p.FormatValue(v, false, out, false);
        EXPECT_EQ(std::strlen(out), 31u);
        for (int i = 32; i < 64; ++i) EXPECT_EQ(out[i], '#') << "byte " << i;
    }
}

TEST(Parameter, FormatValueMapsANormalizedValueWithoutRoundingOrClamp)
{
    IParameter p;
    p.SetupDouble("p", 0.0, 0.0, 100.0, 0.1, "", "", 2.0);
    EXPECT_EQ(Format(p, 0.5, true), "25.0");
    EXPECT_EQ(Format(p, 1.2, true), "144.0");

    IParameter i;
    i.SetupInt("i", 0, 0, 10, "", "");
    i.AddValueText(5, "five");
    EXPECT_EQ(Format(i, 0.54, true, true), "five");
    EXPECT_EQ(Format(i, 0.59, true, false), "5");
}

TEST(Parameter, ValueTextLookupTruncatesAndFallsBackToTheNumber)
{
    IParameter p;
    p.SetupInt("p", 0, -5, 5, "ms", "");
    p.AddValueText(0, "zero");
    p.AddValueText(1, "one");
    p.AddValueText(3, "");
    p.AddValueText(3, "three");  // never found: the empty entry comes first
    p.AddValueText(1, "uno");

    struct Case {
        double v;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "zero"}, {-0.5, "zero"}, {1.9, "one"}, {3.0, "3"}, {2.0, "2"}, {kNaN, "zero"},
    };
    for (const Case& c : cases) EXPECT_EQ(Format(p, c.v, false, true), c.text) << c.v;

    struct Label {
        double v;
        const char* label;
    };
    const Label labels[] = {{1.0, ""}, {3.0, "ms"}, {2.0, "ms"}, {-0.9, ""}};
    for (const Label& l : labels) {
        p.Set(l.v);
        EXPECT_STREQ(p.UnitLabel(), l.label) << l.v;
    }
}

TEST(Parameter, ValueTextQueries)
{
    IParameter p;
    EXPECT_STREQ(p.TextForValue(0), "");
    EXPECT_FALSE(p.ValueForText("", nullptr));

    p.SetupBool("b", false, "", "");
    p.AddValueText(7, "");
    p.AddValueText(1, "again");

    EXPECT_STREQ(p.TextForValue(1), "on");
    EXPECT_STREQ(p.TextForValue(7), "");
    EXPECT_STREQ(p.TextForValue(2), "");

    int value = -1;
    EXPECT_STREQ(p.ValueTextAt(3, &value), "again");
    EXPECT_EQ(value, 1);
    EXPECT_STREQ(p.ValueTextAt(2, nullptr), "");
    value = -1;
    EXPECT_STREQ(p.ValueTextAt(4, &value), "");
    EXPECT_STREQ(p.ValueTextAt(-1, &value), "");
    EXPECT_EQ(value, -1);

    struct Case {
        const char* text;
        bool found;
        int value;
    };
    const Case cases[] = {
        {"on", true, 1},    {"off", true, 0}, {"On", false, -1},  {"o", false, -1},
        {"on ", false, -1}, {"", true, 7},    {"again", true, 1}, {nullptr, false, -1},
    };
    for (const Case& c : cases) {
        value = -1;
        EXPECT_EQ(p.ValueForText(c.text, &value), c.found) << (c.text ? c.text : "(null)");
        EXPECT_EQ(value, c.value);
    }
}

TEST(Parameter, TextsAreCutToThirtyOneCharacters)
{
    const char* longText = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::string cut(longText, 31);
    IParameter p;
    p.SetupDouble(longText, 0.0, 0.0, 1.0, 0.1, longText, longText, 1.0);
    EXPECT_EQ(p.Name(), cut);
    EXPECT_EQ(p.UnitLabel(), cut);
    EXPECT_EQ(p.Group(), cut);
    p.AddValueText(0, longText);
    EXPECT_EQ(p.TextForValue(0), cut);
    EXPECT_EQ(Format(p, 0.0, false, true), cut);
    EXPECT_FALSE(p.ValueForText(longText, nullptr));
    EXPECT_TRUE(p.ValueForText(cut.c_str(), nullptr));

    p.SetupDouble(nullptr, 0.0, 0.0, 1.0, 0.1, nullptr, nullptr, 1.0);
    p.AddValueText(1, nullptr);
    p.Set(1.0);
    EXPECT_STREQ(p.Name(), "");
    EXPECT_STREQ(p.UnitLabel(), "");
    EXPECT_STREQ(p.Group(), "");
    EXPECT_STREQ(p.TextForValue(1), "");
}

TEST(Parameter, ValueTextsGrowInOrderAndStayWhenGrowthFails)
{
    IParameter p;
    {
        FailingAllocator failing;
        p.AddValueText(0, "0");
    }
    EXPECT_EQ(p.ValueTextCount(), 0);
    EXPECT_STREQ(p.TextForValue(0), "");

    // The first block holds 4000 bytes; every entry beyond it needs growth.
    p.AddValueText(0, "0");
    {
        FailingAllocator failing;
        for (int i = 1; i < 200; ++i) p.AddValueText(i, std::to_string(i).c_str());
    }
    const int count = p.ValueTextCount();
    EXPECT_EQ(count, 4000 / int(sizeof(IValueText)));
    EXPECT_FALSE(p.ValueForText(std::to_string(count).c_str(), nullptr));

    for (int i = count; i < 1000; ++i) p.AddValueText(i, std::to_string(i).c_str());
    ASSERT_EQ(p.ValueTextCount(), 1000);
    for (int i = 0; i < 1000; ++i) {
        int value = -1;
        EXPECT_EQ(p.ValueTextAt(i, &value), std::to_string(i));
        EXPECT_EQ(value, i);
    }
}

TEST(Parameter, AnalyserParameters)
{
    struct Setup {
        const char* name;
        bool isDouble;
        double defaultValue;
        double minimum;
        double maximum;
        double step;
        double shape;
        const char* text;
    };
    const Setup setups[] = {
        {"disp. LR", false, 1, 0, 2, 1, 1, "1"},
        {"disp. Phase", false, 0, 0, 1, 1, 1, "0"},
        {"disp. offset", false, 0, -128, 128, 1, 1, "0"},
        {"window type", false, 0, 0, 4, 1, 1, "0"},
        {"speed", true, 500, 100, 2000, 0.001, 2.2479275134435857, "500.000"},
        {"gain", true, 1, 0.01, 100, 0.001, 6.6582114827517955, "1.000"},
        {"freeze", false, 0, 0, 1, 1, 1, "0"},
        {"scroll", false, 0, 0, 1, 1, 1, "0"},
        {"marker1", false, 255, 0, 1023, 1, 1, "255"},
        {"marker2", false, 767, 0, 1023, 1, 1, "767"},
        {"show markers", false, 0, 0, 1, 1, 1, "0"},
    };
    IParameter parameters[11];
    for (int i = 0; i < 11; ++i) {
        const Setup& s = setups[i];
        IParameter& p = parameters[i];
        if (s.isDouble) {
            p.SetupDouble(s.name, s.defaultValue, s.minimum, s.maximum, s.step, "", "", 1.0);
            p.SetCurveExponent(s.shape);
        } else {
            p.SetupInt(s.name, int(s.defaultValue), int(s.minimum), int(s.maximum), "", "");
        }
    }
    for (int i = 0; i < 11; ++i) {
        const Setup& s = setups[i];
        const IParameter& p = parameters[i];
        SCOPED_TRACE(s.name);
        EXPECT_STREQ(p.Name(), s.name);
        EXPECT_EQ(p.Kind(), s.isDouble ? IParameterKind::Double : IParameterKind::Int);
        EXPECT_EQ(p.Value(), s.defaultValue);
        EXPECT_EQ(Minimum(p), s.minimum);
        EXPECT_EQ(Maximum(p), s.maximum);
        EXPECT_EQ(p.Step(), s.step);
        EXPECT_EQ(p.Shape(), s.shape);
        EXPECT_EQ(p.DisplayPrecision(), s.isDouble ? 3 : 0);
        EXPECT_STREQ(p.UnitLabel(), "");
        EXPECT_STREQ(p.Group(), "");
        EXPECT_EQ(Format(p, p.Value(), false, true), s.text);
    }
    EXPECT_NEAR(parameters[4].NormalizedValue(), 0.5, 1e-12);
    EXPECT_NEAR(parameters[5].NormalizedValue(), 0.5, 1e-12);
    EXPECT_EQ(Format(parameters[2], -128.0), "-128");
}

}  // namespace
