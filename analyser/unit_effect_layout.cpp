// The analyser's editor: a backdrop, eight read-outs, the sonogram, knobs,
// switches and the about button, in the order they are added.

#include "analyser/about_button.h"
#include "analyser/notched_knob.h"
#include "analyser/sono.h"
#include "analyser/unit_effect.h"
#include "core/critical_section.h"
#include "editor/bitmap_control.h"
#include "analyser/image_ids.h"
#include "editor/graphics.h"
#include "editor/knob_control.h"
#include "editor/text_control.h"

namespace {

enum ImageId {
    kBackgroundId = IDR_PNG_BACKGROUND,
    kKnobId = IDR_PNG_KNOB,
    kCheckBoxId = IDR_PNG_CHECK_BOX,
    kChannelSwitchId = IDR_PNG_CHANNEL_SWITCH,
    kPhaseSwitchId = IDR_PNG_PHASE_SWITCH,
    kAboutId = IDR_PNG_ABOUT,
};

constexpr int kVertical = 0;
constexpr int kHorizontal = 1;

// The control once the editor owns it; null when the editor could not take
// it (and deleted it).
template <class Control>
Control* Added(IGraphics* editor, Control* control)
{
    return editor->AddControl(control) >= 0 ? control : nullptr;
}

ITextStyle ReadOutStyle()
{
    ITextStyle style;
    style.colour = IArgb{255, 128, 128, 128};
    style.align = 1;
    return style;
}

}  // namespace

void IUnitEffect::LayOutEditor(IGraphics* editor)
{
    editor->AddImageBackdrop(kBackgroundId, "resources/img/back.png");
    const IImageStrip knob =
        editor->LoadImageStrip(kKnobId, "resources/img/kwo_knob_x0x.png", 145, false);
    const IImageStrip checkBox =
        editor->LoadImageStrip(kCheckBoxId, "resources/img/ckb.png", 2, false);
    const IImageStrip channelSwitch =
        editor->LoadImageStrip(kChannelSwitchId, "resources/img/qv_sw_LR.png", 3, false);
    const IImageStrip phaseSwitch =
        editor->LoadImageStrip(kPhaseSwitchId, "resources/img/qv_sw_PH.png", 2, false);
    const IImageStrip about =
        editor->LoadImageStrip(kAboutId, "resources/img/about_v100.png", 1, false);
    const ITextStyle style = ReadOutStyle();

    auto readOut = [&](IBox box) { return Added(editor, new ITextControl(this, box, &style, "")); };
    readOuts.cursor = readOut({470, 271, 570, 285});
    readOuts.rate = readOut({834, 271, 934, 285});
    readOuts.overlap = readOut({734, 271, 834, 285});
    readOuts.marker = readOut({350, 271, 470, 285});
    readOuts.window = readOut({104, 271, 204, 285});
    readOuts.offset = readOut({220, 271, 270, 285});
    readOuts.frozen = readOut({27, 271, 101, 285});
    readOuts.gain = readOut({965, 271, 1020, 285});

    ISono* sono = new ISono(this, IBox{10, 10, 1034, 267}, analyser.Shared(), readOuts.cursor);
    sono->doubleClickAsClick = true;
    sonogram = Added(editor, sono);

    speedKnob = Added(editor, new IKnobMultiControl(this, 870, 304, kSpeed, knob, kVertical, 4.0));
    scrollSwitch = Added(editor, new ISwitchControl(this, 928, 312, kScroll, checkBox, 0));
    gainKnob = Added(editor, new IKnobMultiControl(this, 980, 304, kGain, knob, kVertical, 4.0));
    windowKnob =
        Added(editor, new INotchedKnobControl(this, 140, 304, kWindowType, knob, kVertical, 4.0));
    offsetKnob =
        Added(editor, new IKnobMultiControl(this, 230, 304, kDispOffset, knob, kVertical, 16.0));
    showMarkersSwitch =
        Added(editor, new ISwitchControl(this, 456, 312, kShowMarkers, checkBox, 0));
    // The marker knobs are both built before either is added, as are the
    // display switches.
    auto* marker1 = new IKnobMultiControl(this, 380, 304, kMarker1, knob, kVertical, 16.0);
    auto* marker2 = new IKnobMultiControl(this, 410, 304, kMarker2, knob, kVertical, 16.0);
    marker1Knob = Added(editor, marker1);
    marker2Knob = Added(editor, marker2);
    auto* dispLR = new IKnobMultiControl(this, 33, 302, kDispLR, channelSwitch, kHorizontal, 1.0);
    auto* dispPhase =
        new IKnobMultiControl(this, 67, 302, kDispPhase, phaseSwitch, kHorizontal, 1.0);
    dispLRSwitch = Added(editor, dispLR);
    dispPhaseSwitch = Added(editor, dispPhase);
    aboutButton = Added(editor, new IAboutButton(this, IBox{606, 303, 737, 333}, about, 490, 90));
}

void IUnitEffect::EditorResized()
{
    LockGuard guard(PluginLock());
    sonogram = nullptr;
    readOuts = {};
    speedKnob = gainKnob = marker1Knob = marker2Knob = offsetKnob = nullptr;
    dispLRSwitch = dispPhaseSwitch = nullptr;
    windowKnob = nullptr;
    scrollSwitch = showMarkersSwitch = nullptr;
    aboutButton = nullptr;
}
