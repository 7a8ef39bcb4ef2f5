#pragma once

#include "core/heap_buffer.h"
#include "editor/records.h"

class IGraphics;
class IRegion;
class IUnitBase;
class ITextControl;

// A further parameter a control mirrors: its normalised value and index.
struct IAuxParam {
    double value;
    int paramIdx;
};

// The base of every control: a rectangle of the editor that paints itself,
// takes input and may mirror a parameter as a normalised value. The editor
// reads and writes the fields directly.
class IControl {
public:
    IControl(IUnitBase* plug, IBox rect, int paramIdx, int blendKind);
    virtual ~IControl();
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    virtual void HandleMouseDown(int x, int y, const IPointerKeys* keys);
    virtual void HandleMouseUp(int x, int y, const IPointerKeys* keys);
    virtual void HandleMouseDrag(int x, int y, int dX, int dY, const IPointerKeys* keys);
    virtual void HandleDoubleClick(int x, int y, const IPointerKeys* keys);
    virtual void HandleWheel(int x, int y, const IPointerKeys* keys, int steps);
    virtual bool HandleKey(int x, int y, int keyCode);
    virtual void HandlePointerOver(int x, int y, const IPointerKeys* keys);
    virtual void HandlePointerLeave();
    virtual bool Paint(IGraphics* graphics) = 0;
    // A value the core set; the core's first value also becomes the default.
    virtual void ApplyValueFromCore(double normalised);
    virtual void AcceptEnteredText(const char* text);
    virtual void SetHidden(bool b);
    virtual void SetGreyed(bool b);
    virtual bool HitTest(int x, int y);
    // Clamps the value and asks for a paint; with push also sends the value
    // to the core and refreshes the read-outs.
    virtual void MarkDirty(bool push);
    virtual void AcknowledgeRedraw();
    virtual bool NeedsRedraw();
    // Adds to region what must be repainted in this frame and tells whether
    // the control takes part in it: while it needs redrawing, its rect and
    // the place it was last painted at.
    virtual bool AddDirtyArea(IRegion* region);
    virtual void BroadcastHook();
    virtual void ApplyAuxValueFromCore(int auxIndex, double normalised);

    // A value the user typed or picked.
    void ApplyEnteredValue(double normalised);
    void AskForValue();
    void AskForValueIn(const IBox* box);
    IAuxParam* AuxParamAt(int index);
    int AuxIndexOf(int paramIdx) const;
    void AddAuxParam(int paramIdx);
    void PushAuxParamsToCore();

    int textEntryMaxChars = 7;
    ITextStyle textStyle;
    IUnitBase* plug;
    IBox rect;
    IBox targetRect;
    int paramIdx;
    HeapBuffer auxParams{4096};
    double value = 0.0;
    double defaultValue = -1.0;
    double lowLimit = 0.0;
    double highLimit = 1.0;
    bool dirty = true;
    bool hidden = false;
    bool greyed = false;
    bool redrawAgain = false;
    bool promptDisabled = true;
    bool doubleClickAsClick = false;
    bool pointerOverWhenGreyed = false;
    // Paints every pixel of its rect within the draw clip, whatever lies
    // beneath: the editor does not paint earlier controls where it covers a
    // whole piece of the region.
    bool opaque = false;
    // Where the control was when it was last painted.
    IBox shownRect;
    IBlend blend;
    ITextControl* valueTextControl = nullptr;
    ITextControl* nameTextControl = nullptr;
    const char* tooltip = nullptr;

private:
    int AuxCount() const;
    void Prompt(IBox box);
};
