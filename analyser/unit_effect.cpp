#include "analyser/unit_effect.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "analyser/plugin_version.h"
#include "analyser/sono.h"
#include "core/critical_section.h"
#include "core/four_char_code.h"
#include "core/parameter.h"
#include "core/state_chunk.h"
#include "editor/graphics.h"
#include "editor/text_control.h"

namespace {

// One parameter set-up: integer kinds move in whole units on a linear shape;
// the two doubles have a curve.
struct ParamSetup {
    int index;
    const char* name;
    bool isDouble;
    double defaultValue;
    double minimum;
    double maximum;
    double shape;
};

// In the order they are declared.
constexpr ParamSetup kParamSetups[] = {
    {IUnitEffect::kSpeed, "speed", true, 500, 100, 2000, 2.2479275134435857},
    {IUnitEffect::kFreeze, "freeze", false, 0, 0, 1, 1},
    {IUnitEffect::kScroll, "scroll", false, 0, 0, 1, 1},
    {IUnitEffect::kGain, "gain", true, 1, 0.01, 100, 6.6582114827517955},
    {IUnitEffect::kWindowType, "window type", false, 0, 0, 4, 1},
    {IUnitEffect::kShowMarkers, "show markers", false, 0, 0, 1, 1},
    {IUnitEffect::kMarker1, "marker1", false, 255, 0, 1023, 1},
    {IUnitEffect::kMarker2, "marker2", false, 767, 0, 1023, 1},
    {IUnitEffect::kDispOffset, "disp. offset", false, 0, -128, 128, 1},
    {IUnitEffect::kDispLR, "disp. LR", false, 1, 0, 2, 1},
    {IUnitEffect::kDispPhase, "disp. Phase", false, 0, 0, 1, 1},
};
constexpr double kDoubleStep = 0.001;

constexpr double kBinSpacing = 0.001953125;  // 1/512
constexpr int kLabelDigits = 5;

// Shows text in a read-out, where the editor has it.
void ShowText(ITextControl* readOut, const char* text)
{
    if (readOut) readOut->ReplaceText(text);
}

// The process-wide lock that serialises plug-in construction.
CriticalSection* PlugCreationLock()
{
    static CriticalSection* lock = [] {
        CriticalSection* created = new CriticalSection;
        std::atexit([] { delete PlugCreationLock(); });
        return created;
    }();
    return lock;
}

// The sonogram's picture before the first spectrum: the same for every
// plug-in and every reset, made once.
std::vector<PIX_PackedColor> MakeStartUpPicture()
{
    std::vector<PIX_PackedColor> pixels(size_t(ISono::kWidth) * ISono::kHeight);
    for (int r = 0; r < 257; ++r) {
        float a = float(-0.001 * r);
        float b = float(0.1 * r);
        for (int c = 0; c < 1024; ++c) {
            const double s = std::sin(26.3 * a);
            const double q = s * s;
            const double yb = 0.4f + 0.016132f * q - 0.316132f * q * q;
            const double xb = 0.6f - 0.699076f * q + 0.249076f * q * q;
            b = float(b + 0.0163);
            double h = std::cos(double(a) - double(b));
            for (int k = 0; k < 6; ++k) h *= h;
            const double y = yb + (0.597f - yb) * h;
            const double x = xb + (0.321f - xb) * h;
            a = float(a + 0.003);
            const double v = a <= 1.0f ? 0.0 : a < 2.0f ? a - 1.0 : a < 3.0f ? 3.0 - a : 0.0;
            const double luminance = std::pow(v / (1.0 + 0.5 * h), double(3.4f));
            pixels[r * 1024 + c] =
                ChromaticityToPixel(float(x), float(y), float(luminance), kColourBalanceAndPhase);
        }
    }
    return pixels;
}

const PIX_PackedColor* StartUpPicture()
{
    static const std::vector<PIX_PackedColor> picture = MakeStartUpPicture();
    return picture.data();
}

}  // namespace

IUnitEffect* CreatePlugInstance(VELVANE_BINDING_PARAMETERS)
{
    LockGuard guard(PlugCreationLock());
    return new IUnitEffect(VELVANE_BINDING_ARGUMENTS);
}

IUnitEffect::IUnitEffect(VELVANE_BINDING_PARAMETERS)
    : IUnitBinding(VELVANE_BINDING_ARGUMENTS, kParamCount, "1-0 2-0", 1, "tq_Velvane", "",
                   "Kestrane", kPluginVersion, FourCharCode("Vqlz"), FourCharCode("Kzrt"), 0, false,
                   true, false, 0)
{
    for (const ParamSetup& s : kParamSetups) {
        IParameter* parameter = ParameterAt(s.index);
        if (s.isDouble) {
            parameter->SetupDouble(s.name, s.defaultValue, s.minimum, s.maximum, kDoubleStep, "",
                                   "", 1.0);
            parameter->SetCurveExponent(s.shape);
        } else {
            parameter->SetupInt(s.name, int(s.defaultValue), int(s.minimum), int(s.maximum), "",
                                "");
        }
    }
    StartUpPicture();  // made once for every plug-in, outside their locks, never in a reset
    // The editor is the plug-in's once attached; until then a failure frees it.
    std::unique_ptr<IGraphics> editor(CreateEditorGraphics(this, 1044, 347, 60));
    LayOutEditor(editor.get());
    AttachEditor(editor.release());
    StoreStateAsPresets("-", 1);
}

IUnitEffect::~IUnitEffect() = default;

double IUnitEffect::Value(int index) const
{
    return ParameterAt(index)->Value();
}

bool IUnitEffect::ResetDspState()
{
    LockGuard guard(PluginLock());
    sampleRate = CurrentSampleRate();
    samplePeriod = 1.0 / sampleRate;
    const bool ready = analyser.ResetRings();
    // The ring starts again: the sonogram has no freeze to resume after.
    if (sonogram) sonogram->pendingCopy = false;
    WriteRowLabels();
    PaintStartUpPicture();
    // The new picture and labels are shown whole in the next frame.
    if (sonogram) sonogram->MarkDirty(false);
    blinkPeriod = int(sampleRate);
    blinkCounter = 0;
    for (int index = 0; index < kParamCount; ++index) ParameterChanged(index);
    return ready;
}

void IUnitEffect::WriteRowLabels()
{
    if (!sonogram || sampleRate == labelledRate) return;
    labelledRate = sampleRate;
    std::memset(sonogram->rowLabels, 0, sizeof sonogram->rowLabels);
    std::strcpy(sonogram->rowLabels[0], "-DC-");
    for (int j = 1; j <= 256; ++j) {
        const double f = j * (sampleRate * kBinSpacing);
        const bool kilo = f >= 1000.0;
        char number[64];
        std::snprintf(number, sizeof number, "%.3f", kilo ? f * 0.001 : f);
        char* label = sonogram->rowLabels[j];
        std::memcpy(label, number, kLabelDigits);
        std::strcpy(label + kLabelDigits, kilo ? " kHz" : " Hz");
    }
}

void IUnitEffect::PaintStartUpPicture()
{
    if (sonogram)
        std::memcpy(sonogram->PixelStore(), StartUpPicture(),
                    sizeof(PIX_PackedColor) * ISono::kWidth * ISono::kHeight);
}

void IUnitEffect::ParameterChanged(int index)
{
    LockGuard guard(PluginLock());
    if (index < 0 || index >= kParamCount) return;
    const double v = Value(index);
    switch (index) {
        case kDispLR:
            if (sonogram) sonogram->channelMode = uint8_t(int(v));
            break;
        case kDispPhase:
            if (sonogram) sonogram->phaseMode = uint8_t(int(v));
            break;
        case kDispOffset: {
            const int n = int(v);
            if (sonogram) {
                sonogram->leftOffset = n < 0 ? -n : 0;
                sonogram->rightOffset = n > 0 ? n : 0;
            }
            UpdateOffsetReadOut(n);
            break;
        }
        case kWindowType:
            if (int(v) != windowTypeBuilt) analyser.SetWindowType(int(v) & 0xFF);
            windowTypeBuilt = int(v);
            ShowText(readOuts.window, analyser.WindowName());
            break;
        case kSpeed:
            analyser.SetHopIncrement(v * samplePeriod);
            msPerColumn = 1000.0 / v;
            UpdateSpeedReadOuts(v);
            UpdateMarkerReadOut();
            break;
        case kGain:
            if (sonogram) sonogram->gain = float(v);
            UpdateGainReadOut(v);
            break;
        case kFreeze:
            analyser.SetFrozen(int(v) != 0);
            ShowText(readOuts.frozen, analyser.Frozen() ? "<frozen>" : "");
            break;
        case kScroll:
            if (sonogram) sonogram->scroll = int(v) != 0;
            break;
        case kMarker1:
        case kMarker2: {
            const uint16_t position = uint16_t(int(v));
            if (sonogram) (index == kMarker1 ? sonogram->marker1 : sonogram->marker2) = position;
            (index == kMarker1 ? marker1Position : marker2Position) = position;
            UpdateMarkerReadOut();
            break;
        }
        case kShowMarkers:
            if (sonogram) sonogram->showMarkers = int(v) != 0;
            UpdateMarkerReadOut();
            break;
        default:
            break;
    }
}

void IUnitEffect::UpdateOffsetReadOut(int offset)
{
    char text[64] = "";
    if (offset > 0)
        std::snprintf(text, sizeof text, "+%d (R)", offset);
    else if (offset < 0)
        std::snprintf(text, sizeof text, "+%d (L)", -offset);
    ShowText(readOuts.offset, text);
}

void IUnitEffect::UpdateSpeedReadOuts(double speed)
{
    char text[64];
    if (speed >= 1000.0)
        std::snprintf(text, sizeof text, "rate = %6.3f kHz", speed * 0.001);
    else
        std::snprintf(text, sizeof text, "rate = %6.3f Hz", speed);
    ShowText(readOuts.rate, text);
    const double hop = sampleRate / speed;
    const double overlap = hop >= 512.0 ? 0.0 : (1.0 - hop * kBinSpacing) * 100.0;
    std::snprintf(text, sizeof text, "overlap = %.1f%%", overlap);
    ShowText(readOuts.overlap, text);
}

void IUnitEffect::UpdateGainReadOut(double gain)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", gain);
    ShowText(readOuts.gain, text);
}

void IUnitEffect::UpdateMarkerReadOut()
{
    if (!readOuts.marker) return;
    if (!sonogram || !sonogram->showMarkers) {
        readOuts.marker->ReplaceText("");
        return;
    }
    const double d = std::fabs(marker1Position - marker2Position) * msPerColumn;
    char text[64];
    if (d < 10.0)
        std::snprintf(text, sizeof text, "x = %.3f mS", d);
    else if (d < 100.0)
        std::snprintf(text, sizeof text, "x = %.2f mS", d);
    else if (d < 1000.0)
        std::snprintf(text, sizeof text, "x = %.1f mS", d);
    else
        std::snprintf(text, sizeof text, "x = %.3f S", d * 0.001);
    readOuts.marker->ReplaceText(text);
}

void IUnitEffect::ProcessDoubleBlock(double** inputs, double**, int frames)
{
    if (frames <= 0 || !inputs || !inputs[0] || !inputs[1]) return;
    analyser.ProcessSamples(inputs[0], inputs[1], frames);
    blinkCounter += unsigned(frames);
    const unsigned quarter = unsigned(blinkPeriod / 4);
    if (blinkCounter > quarter) {
        if (sonogram)
            sonogram->blink.store(!sonogram->blink.load(std::memory_order_relaxed),
                                  std::memory_order_relaxed);
        blinkCounter -= quarter;
    }
}

bool IUnitEffect::WriteState(IStateChunk* chunk)
{
    LockGuard guard(PluginLock());
    return SerializeParams(chunk);
}

int IUnitEffect::ReadState(const IStateChunk* chunk, int position)
{
    LockGuard guard(PluginLock());
    return UnserializeParams(chunk, position);
}

void IUnitEffect::CurrentPresetChanged()
{
    LockGuard guard(PluginLock());
    if (IGraphics* editor = AttachedGraphics(this)) editor->MarkAllControlsDirty();
}
