#pragma once

#include "editor/control.h"

// A knob that chooses among a few discrete values: it is dragged like a
// knob, its picture eases from notch to notch with a clicking motion, and a
// release snaps the value to the nearest notch.
class INotchedKnobBase : public IControl {
public:
    // The fewest notches a knob has: its parameter's steps when it has at
    // least two, else this (a double, missing or one-value parameter).
    static constexpr int kLeastNotches = 2;

    INotchedKnobBase(IUnitBase* plug, IBox rect, int paramIdx, int direction, double gearing);
    void HandleMouseUp(int x, int y, const IPointerKeys* keys) override;
    void HandleMouseDrag(int x, int y, int dX, int dY, const IPointerKeys* keys) override;
    // Each wheel step turns the knob by one notch from the one its value
    // selects, with or without modifier keys, and the value rests on the new
    // notch as after a release. The clamped knob stops at its end notches;
    // the wrapping one turns round.
    void HandleWheel(int x, int y, const IPointerKeys* keys, int steps) override;

    // The display position and notch index from the value; marks and sends
    // nothing.
    void UpdateNotch();

    int direction;
    double gearing;
    int notchCount = kLeastNotches;
    double snapWeight = 2.0;
    double turnRate = 1.0 / 120.0;
    double turnOffset = 0.0;
    // True: the value range maps onto the notches end to end; false selects
    // the wrapping variant.
    bool clamped = true;
    bool wrapped = false;
    double displayPosition = 0.0;
    int notchIndex = 0;

private:
    // The notch a release snaps the value to.
    int NotchOfValue() const;
    // The value and the picture onto a notch, sent to the plug-in.
    void RestOnNotch(int notch);
    // Whole notches of e plus the eased part of the step to the next one.
    double EasedNotches(double e) const;
};

// A notched knob drawn as the frame of a strip that shows its position.
class INotchedKnobControl : public INotchedKnobBase {
public:
    INotchedKnobControl(IUnitBase* plug, int x, int y, int paramIdx, IImageStrip image,
                        int direction, double gearing);
    bool Paint(IGraphics* graphics) override;

    IImageStrip image;
};
