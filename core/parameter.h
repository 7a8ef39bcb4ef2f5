#pragma once

#include <cstdint>

#include "core/heap_buffer.h"

// Only Double keeps continuous values; every other kind, NotSet included, is
// rounded to the step when set from a normalised position.
enum class IParameterKind : int {
    NotSet = 0,
    Bool = 1,
    Int = 2,
    Enum = 3,
    Double = 4,
};

// The display text of one value.
struct IValueText {
    int32_t value;
    char text[32];
};

// A normalised value from outside (a host, a file) within [0, 1]; NaN is 0.
inline double ClampNormalized(double value)
{
    return value > 0.0 ? (value < 1.0 ? value : 1.0) : 0.0;
}

// One automatable value of a plug-in. No lock of its own: the owner's plug-in
// lock guards every change made while audio runs.
class IParameter {
public:
    // Size of the name, unit label, group and value-text fields, terminator
    // included; longer texts are cut.
    static constexpr int kTextSize = 32;

    IParameter();
    IParameter(const IParameter&) = delete;
    IParameter& operator=(const IParameter&) = delete;

    // Each set-up sets the kind only while it is NotSet, so the outermost call
    // decides it.
    void SetupDouble(const char* name, double defaultValue, double minimum, double maximum,
                     double step, const char* label, const char* group, double shape);
    void SetupInt(const char* name, int defaultValue, int minimum, int maximum, const char* label,
                  const char* group);
    void SetupEnum(const char* name, int defaultValue, int count, const char* label,
                   const char* group);
    void SetupBool(const char* name, bool defaultValue, const char* label, const char* group);
    // A shape of 0 or NaN is ignored.
    void SetCurveExponent(double shape);
    // Leaves the parameter unchanged when the array cannot grow.
    void AddValueText(int value, const char* text);

    // A finite n is not clamped and the result is capped at the maximum only;
    // NaN is 0 and the infinities are the ends of the range.
    void SetFromNormalized(double n);
    // Clamps to [minimum, maximum]; NaN becomes the minimum.
    void Set(double v);
    double Value() const { return mValue; }
    // NaN normalises as the minimum.
    double Normalize(double v) const;
    double NormalizedValue() const { return Normalize(mValue); }
    // The value read as decibels, as an amplitude factor.
    double DecibelsToAmplitude() const;
    void RangeLimits(double* minimum, double* maximum) const;

    IParameterKind Kind() const { return mKind; }
    double Step() const { return mStep; }
    double Shape() const { return mShape; }
    double DefaultValue() const { return mDefaultValue; }
    int DisplayPrecision() const { return mDisplayPrecision; }
    bool NegateDisplay() const { return mNegateDisplay; }
    // Values are shown, and typed values read, with the sign turned.
    void SetNegateDisplay(bool negate) { mNegateDisplay = negate; }

    const char* Name() const { return mName; }
    const char* Group() const { return mGroup; }
    // Empty while the current value shows a non-empty value text.
    const char* UnitLabel() const;
    // Writes at most kTextSize bytes, terminator included, to out.
    void FormatValue(double v, bool normalized, char* out, bool useValueTexts) const;

    int ValueTextCount() const { return mValueTexts.Size() / int(sizeof(IValueText)); }
    // The first entry's text for value, or "" when there is none.
    const char* TextForValue(int value) const;
    // The entry at index ("" outside the array); writes its value when value is
    // not null.
    const char* ValueTextAt(int index, int* value) const;
    // Finds the first entry whose text equals text exactly.
    bool ValueForText(const char* text, int* value) const;
    // Reads the number a typed text begins with, its sign turned when the
    // display is negated; false, value untouched, when the text does not
    // begin with a finite number.
    bool ValueForNumberText(const char* text, double* value) const;

private:
    IValueText* Entries() const { return static_cast<IValueText*>(mValueTexts.Data()); }
    // The first entry for v truncated to an integer, or null.
    const IValueText* LookUp(double v) const;

    IParameterKind mKind = IParameterKind::NotSet;
    double mValue = 0.0;
    double mMinimum = 0.0;
    double mMaximum = 1.0;
    double mStep = 1.0;
    double mShape = 1.0;
    double mDefaultValue = 0.0;
    int mDisplayPrecision = 0;
    char mName[kTextSize] = {};
    char mUnitLabel[kTextSize] = {};
    char mGroup[kTextSize] = {};
    bool mNegateDisplay = false;
    HeapBuffer mValueTexts;
};
