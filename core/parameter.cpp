#include "core/parameter.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static_assert(sizeof(IValueText) == 36, "value texts are stored as {int32, char[32]}");
static_assert(sizeof(IValueText::text) == IParameter::kTextSize, "value text field size");

namespace {

constexpr int kMaxDisplayPrecision = 6;

// Copies at most kTextSize - 1 characters and zeroes the rest; null copies as "".
void CopyText(char* field, const char* text)
{
    std::memset(field, 0, IParameter::kTextSize);
    if (!text) return;
    for (int i = 0; i < IParameter::kTextSize - 1 && text[i] != '\0'; ++i) field[i] = text[i];
}

// Truncation toward zero that stays defined: clamped to the int range, NaN gives 0.
int TruncateToInt(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= double(INT_MAX)) return INT_MAX;
    if (v <= double(INT_MIN)) return INT_MIN;
    return int(v);
}

// Whole within a relative tolerance, so that a step such as 0.07, which
// becomes 7.000000000000001 after two multiplications by 10, counts as whole.
bool IsWhole(double x)
{
    return std::fabs(x - std::round(x)) <= 1e-9 * std::fabs(x);
}

int PrecisionForStep(double step)
{
    int precision = 0;
    while (precision < kMaxDisplayPrecision && !IsWhole(step)) {
        ++precision;
        step *= 10.0;
    }
    return precision;
}

// False for 0 and NaN.
bool IsUsableShape(double shape)
{
    return shape < 0.0 || shape > 0.0;
}

}  // namespace

IParameter::IParameter() : mValueTexts(4096) {}

void IParameter::SetupDouble(const char* name, double defaultValue, double minimum, double maximum,
                             double step, const char* label, const char* group, double shape)
{
    if (mKind == IParameterKind::NotSet) mKind = IParameterKind::Double;
    CopyText(mName, name);
    CopyText(mUnitLabel, label);
    CopyText(mGroup, group);
    mValue = mDefaultValue = defaultValue;
    mMinimum = minimum;
    mMaximum = maximum > minimum + step ? maximum : minimum + step;
    mStep = step;
    mDisplayPrecision = PrecisionForStep(step);
    if (IsUsableShape(shape)) mShape = shape;
}

void IParameter::SetupInt(const char* name, int defaultValue, int minimum, int maximum,
                          const char* label, const char* group)
{
    if (mKind == IParameterKind::NotSet) mKind = IParameterKind::Int;
    SetupDouble(name, double(defaultValue), double(minimum), double(maximum), 1.0, label, group,
                1.0);
}

void IParameter::SetupEnum(const char* name, int defaultValue, int count, const char* label,
                           const char* group)
{
    if (mKind == IParameterKind::NotSet) mKind = IParameterKind::Enum;
    SetupInt(name, defaultValue, 0, count - 1, label, group);
}

void IParameter::SetupBool(const char* name, bool defaultValue, const char* label,
                           const char* group)
{
    if (mKind == IParameterKind::NotSet) mKind = IParameterKind::Bool;
    SetupEnum(name, defaultValue ? 1 : 0, 2, label, group);
    AddValueText(0, "off");
    AddValueText(1, "on");
}

void IParameter::SetCurveExponent(double shape)
{
    if (IsUsableShape(shape)) mShape = shape;
}

void IParameter::AddValueText(int value, const char* text)
{
    const int count = ValueTextCount();
    if (!mValueTexts.Resize((count + 1) * int(sizeof(IValueText)))) return;
    IValueText& entry = Entries()[count];
    entry.value = value;
    CopyText(entry.text, text);
}

void IParameter::SetFromNormalized(double n)
{
    // A position without a number or a bound is an end of the travel; NaN is 0.
    if (!std::isfinite(n)) n = ClampNormalized(n);
    double v = mMinimum + std::pow(n, mShape) * (mMaximum - mMinimum);
    if (mKind != IParameterKind::Double) v = mStep * std::floor(v / mStep + 0.5);
    if (v > mMaximum) v = mMaximum;
    // Where the curve gives no finite value (a negative position under a
    // fractional shape, one far below 0) the value is the minimum.
    mValue = std::isfinite(v) ? v : mMinimum;
}

void IParameter::Set(double v)
{
    if (std::isnan(v) || v < mMinimum) {
        mValue = mMinimum;
    } else if (v > mMaximum) {
        mValue = mMaximum;
    } else {
        mValue = v;
    }
}

double IParameter::Normalize(double v) const
{
    if (!(v >= mMinimum)) v = mMinimum;  // NaN too
    if (v > mMaximum) v = mMaximum;
    return std::pow((v - mMinimum) / (mMaximum - mMinimum), 1.0 / mShape);
}

double IParameter::DecibelsToAmplitude() const
{
    return std::exp(mValue * 0.1151292546497);
}

void IParameter::RangeLimits(double* minimum, double* maximum) const
{
    if (minimum) *minimum = mMinimum;
    if (maximum) *maximum = mMaximum;
}

const IValueText* IParameter::LookUp(double v) const
{
    const int wanted = TruncateToInt(v);
    const IValueText* entries = Entries();
    const int count = ValueTextCount();
    for (int i = 0; i < count; ++i) {
        if (entries[i].value == wanted) return &entries[i];
    }
    return nullptr;
}

const char* IParameter::UnitLabel() const
{
    const IValueText* entry = LookUp(mValue);
    return entry && entry->text[0] != '\0' ? "" : mUnitLabel;
}

void IParameter::FormatValue(double v, bool normalized, char* out, bool useValueTexts) const
{
    if (normalized) v = mMinimum + std::pow(v, mShape) * (mMaximum - mMinimum);
    if (useValueTexts) {
        const IValueText* entry = LookUp(v);
        if (entry && entry->text[0] != '\0') {
            std::memcpy(out, entry->text, kTextSize);
            return;
        }
    }
    if (mNegateDisplay) v = -v;
    if (mDisplayPrecision == 0) {
        std::snprintf(out, kTextSize, "%d", TruncateToInt(v));
    } else {
        std::snprintf(out, kTextSize, "%.*f", mDisplayPrecision, v);
    }
}

const char* IParameter::TextForValue(int value) const
{
    const IValueText* entries = Entries();
    const int count = ValueTextCount();
    for (int i = 0; i < count; ++i) {
        if (entries[i].value == value) return entries[i].text;
    }
    return "";
}

const char* IParameter::ValueTextAt(int index, int* value) const
{
    if (index < 0 || index >= ValueTextCount()) return "";
    const IValueText& entry = Entries()[index];
    if (value) *value = entry.value;
    return entry.text;
}

bool IParameter::ValueForNumberText(const char* text, double* value) const
{
    if (!text) return false;
    char* end = nullptr;
    const double number = std::strtod(text, &end);
    if (end == text || !std::isfinite(number)) return false;
    *value = mNegateDisplay ? -number : number;
    return true;
}

bool IParameter::ValueForText(const char* text, int* value) const
{
    if (!text) return false;
    const IValueText* entries = Entries();
    const int count = ValueTextCount();
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(entries[i].text, text) == 0) {
            if (value) *value = entries[i].value;
            return true;
        }
    }
    return false;
}
