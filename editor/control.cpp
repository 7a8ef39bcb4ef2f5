#include "editor/control.h"

#include <cstring>

#include "core/parameter.h"
#include "core/unit_base.h"
#include "editor/graphics.h"
#include "editor/region.h"
#include "editor/text_control.h"

namespace {

constexpr double kWheelStep = 0.01;
constexpr double kFineWheelStep = 0.001;
constexpr float kGreyedWeight = 0.25f;
constexpr int kReadOutPiece = 32;

// Appends at most kReadOutPiece characters of piece.
void AppendPiece(char* out, const char* piece)
{
    size_t end = std::strlen(out);
    for (int i = 0; piece && piece[i] && i < kReadOutPiece; ++i) out[end++] = piece[i];
    out[end] = '\0';
}

}  // namespace

IControl::IControl(IUnitBase* plug, IBox rect, int paramIdx, int blendKind)
    : plug(plug), rect(rect), targetRect(rect), paramIdx(paramIdx), blend{blendKind, 1.0f}
{
}

IControl::~IControl() = default;

void IControl::HandleMouseDown(int, int, const IPointerKeys* keys)
{
    if (keys && keys->right) AskForValue();
}

void IControl::HandleMouseUp(int, int, const IPointerKeys*) {}

void IControl::HandleMouseDrag(int, int, int, int, const IPointerKeys*) {}

void IControl::HandleDoubleClick(int, int, const IPointerKeys*)
{
    if (defaultValue >= 0.0) {
        value = defaultValue;
        MarkDirty(true);
    }
}

void IControl::HandleWheel(int, int, const IPointerKeys* keys, int steps)
{
    const bool fine = keys && (keys->ctrl || keys->shift);
    value += steps * (fine ? kFineWheelStep : kWheelStep);
    MarkDirty(true);
}

bool IControl::HandleKey(int, int, int)
{
    return false;
}

void IControl::HandlePointerOver(int, int, const IPointerKeys*) {}

void IControl::HandlePointerLeave() {}

void IControl::ApplyValueFromCore(double v)
{
    if (defaultValue < 0.0) {
        value = defaultValue = v;
        return;
    }
    if (v != value) {
        value = v;
        MarkDirty(false);
        redrawAgain = true;
    }
}

void IControl::AcceptEnteredText(const char*) {}

void IControl::SetHidden(bool b)
{
    hidden = b;
    redrawAgain = true;
    MarkDirty(false);
}

void IControl::SetGreyed(bool b)
{
    greyed = b;
    blend.weight = b ? kGreyedWeight : 1.0f;
    MarkDirty(false);
}

bool IControl::HitTest(int x, int y)
{
    return targetRect.Contains(x, y);
}

void IControl::MarkDirty(bool push)
{
    if (lowLimit > value)
        value = lowLimit;
    else if (value >= highLimit)
        value = highLimit;
    dirty = true;
    if (!push || !plug || paramIdx < 0) return;

    plug->SetParameterFromGUI(paramIdx, value);
    const IParameter* parameter = plug->ParameterAt(paramIdx);
    if (!parameter) return;
    if (valueTextControl) {
        char formatted[IParameter::kTextSize] = {};
        parameter->FormatValue(parameter->Value(), false, formatted, true);
        char text[3 * kReadOutPiece + 1] = {};
        AppendPiece(text, formatted);
        AppendPiece(text, " ");
        AppendPiece(text, parameter->UnitLabel());
        valueTextControl->ReplaceText(text);
    }
    if (nameTextControl) nameTextControl->ReplaceText(parameter->Name());
}

void IControl::AcknowledgeRedraw()
{
    dirty = redrawAgain;
    redrawAgain = false;
}

bool IControl::NeedsRedraw()
{
    return dirty;
}

bool IControl::AddDirtyArea(IRegion* region)
{
    if (!NeedsRedraw()) return false;
    region->Add(rect);
    region->Add(shownRect);
    return true;
}

void IControl::BroadcastHook() {}

void IControl::ApplyAuxValueFromCore(int auxIndex, double v)
{
    IAuxParam* entry = AuxParamAt(auxIndex);
    if (!entry || entry->value == v) return;
    entry->value = v;
    MarkDirty(false);
    redrawAgain = true;
}

void IControl::ApplyEnteredValue(double normalised)
{
    if (normalised == value) return;
    value = normalised;
    MarkDirty(true);
    redrawAgain = true;
}

void IControl::Prompt(IBox box)
{
    IGraphics* editor = AttachedGraphics(plug);
    IParameter* parameter = plug->ParameterAt(paramIdx);
    if (editor && parameter) editor->AskForParamValue(this, parameter, &box);
    redrawAgain = true;
}

void IControl::AskForValue()
{
    if (paramIdx < 0 || promptDisabled || !plug) return;
    const IParameter* parameter = plug->ParameterAt(paramIdx);
    if (!parameter) return;
    if (parameter->ValueTextCount() != 0) return Prompt(rect);
    const int cx = int(0.5f * float(rect.left + rect.right));
    const int cy = int(0.5f * float(rect.top + rect.bottom));
    Prompt(IBox{cx - 15, cy - 8, cx + 15, cy + 8});
}

void IControl::AskForValueIn(const IBox* box)
{
    if (paramIdx < 0 || promptDisabled || !plug || !box || !plug->ParameterAt(paramIdx)) return;
    Prompt(*box);
}

int IControl::AuxCount() const
{
    return auxParams.Size() / int(sizeof(IAuxParam));
}

IAuxParam* IControl::AuxParamAt(int index)
{
    if (index < 0 || index >= AuxCount()) return nullptr;
    return static_cast<IAuxParam*>(auxParams.Data()) + index;
}

int IControl::AuxIndexOf(int p) const
{
    const IAuxParam* entries = static_cast<const IAuxParam*>(auxParams.Data());
    for (int i = 0; i < AuxCount(); ++i)
        if (entries[i].paramIdx == p) return i;
    return -1;
}

void IControl::AddAuxParam(int p)
{
    const int used = auxParams.Size();
    if (!auxParams.Resize(used + int(sizeof(IAuxParam)))) return;
    const IAuxParam entry = {0.0, p};
    std::memcpy(static_cast<char*>(auxParams.Data()) + used, &entry, sizeof entry);
}

void IControl::PushAuxParamsToCore()
{
    if (!plug) return;
    for (int i = 0; i < AuxCount(); ++i) {
        const IAuxParam* entry = AuxParamAt(i);
        plug->SetParameterFromGUI(entry->paramIdx, entry->value);
    }
}
