#pragma once

#include <cstdint>

#include "analyser/spectrum_analyser.h"
#include "analyser/unit_binding.h"

class IAboutButton;
class IGraphics;
class IKnobMultiControl;
class INotchedKnobControl;
class ISono;
class ISwitchControl;
class ITextControl;

// The analyser as a plug-in: eleven parameters, the spectrum analyser and
// the editor that shows it.
class IUnitEffect : public IUnitBinding {
public:
    enum Param {
        kDispLR,
        kDispPhase,
        kDispOffset,
        kWindowType,
        kSpeed,
        kGain,
        kFreeze,
        kScroll,
        kMarker1,
        kMarker2,
        kShowMarkers,
        kParamCount
    };

    explicit IUnitEffect(VELVANE_BINDING_PARAMETERS);
    ~IUnitEffect() override;

    bool ResetDspState() override;
    void ParameterChanged(int index) override;
    void ProcessDoubleBlock(double** inputs, double** outputs, int frames) override;
    bool WriteState(IStateChunk* chunk) override;
    int ReadState(const IStateChunk* chunk, int position) override;
    void CurrentPresetChanged() override;
    // The editor deleted its controls: the plug-in forgets them.
    void EditorResized() override;

    SpectrumAnalyser& Analyser() { return analyser; }
    ISono* Sonogram() const { return sonogram; }

    // The read-outs, in the editor's order after the backdrop.
    struct ReadOuts {
        ITextControl* cursor;
        ITextControl* rate;
        ITextControl* overlap;
        ITextControl* marker;
        ITextControl* window;
        ITextControl* offset;
        ITextControl* frozen;
        ITextControl* gain;
    };
    const ReadOuts& Texts() const { return readOuts; }

private:
    // Builds the editor's images and controls.
    void LayOutEditor(IGraphics* editor);
    void WriteRowLabels();
    void PaintStartUpPicture();
    // The read-outs of the parameters that have them.
    void UpdateOffsetReadOut(int offset);
    void UpdateSpeedReadOuts(double speed);
    void UpdateGainReadOut(double gain);
    void UpdateMarkerReadOut();
    double Value(int index) const;

    // Until the first reset, the core's default rate.
    double sampleRate = 44100.0;
    double samplePeriod = 1.0 / 44100.0;
    ISono* sonogram = nullptr;
    SpectrumAnalyser analyser;
    IKnobMultiControl* speedKnob = nullptr;
    IKnobMultiControl* gainKnob = nullptr;
    INotchedKnobControl* windowKnob = nullptr;
    IKnobMultiControl* marker1Knob = nullptr;
    IKnobMultiControl* marker2Knob = nullptr;
    IKnobMultiControl* offsetKnob = nullptr;
    ISwitchControl* scrollSwitch = nullptr;
    ISwitchControl* showMarkersSwitch = nullptr;
    ReadOuts readOuts = {};
    IKnobMultiControl* dispLRSwitch = nullptr;
    IKnobMultiControl* dispPhaseSwitch = nullptr;
    IAboutButton* aboutButton = nullptr;
    double msPerColumn = 2.0;
    double marker1Position = 0.0;
    double marker2Position = 0.0;
    unsigned blinkCounter = 0;
    int blinkPeriod = 44100;
    // What the row labels and the analysis window were last made for: a
    // reset makes again only what changed.
    double labelledRate = 0.0;
    int windowTypeBuilt = -1;
};

// The one way the shell makes the plug-in: serialised by a process-wide lock.
IUnitEffect* CreatePlugInstance(VELVANE_BINDING_PARAMETERS);

// The editor of the plug-in: the Win32 editor on Windows; the program that
// links the plug-in provides it.
IGraphics* CreateEditorGraphics(IUnitEffect* plug, int width, int height, int frameRate);
