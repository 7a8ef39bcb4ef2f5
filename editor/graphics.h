#pragma once

#include <cstdint>

#include "core/critical_section.h"
#include "core/pointer_list.h"
#include "core/unit_editor.h"
#include "editor/control.h"
#include "editor/records.h"
#include "editor/region.h"

class IParameter;
class IUnitBase;
class PIX_CachedFont;
class PIX_IBitmap;
class PIX_MemBitmap;
class PIX_SysBitmap;
class PopupMenu;
class TextBuffer;

// The abstract editor of a plug-in: its controls in paint order, the
// off-screen bitmap they paint into, the pointer capture, the parameter
// fan-out and the process-wide image and font caches. The window system's
// part is the derived editor's.
class IGraphics : public IUnitEditor {
public:
    IGraphics(IUnitBase* plug, int width, int height, int frameRate);
    ~IGraphics() override;
    IGraphics(const IGraphics&) = delete;
    IGraphics& operator=(const IGraphics&) = delete;

    // Copies the region of the draw surface to the window.
    virtual bool PresentRegion(const IRegion* region) = 0;
    virtual bool MeasureText(ITextStyle* style, const char* text, IBox* box);
    virtual void CancelTextEntry() = 0;
    virtual void ResizeEditor(int width, int height);
    virtual bool HasWindow();
    virtual const char* EmptyText();
    virtual int ShowMessage(const char* text, const char* caption, int type) = 0;
    // The item chosen from the menu shown at box: the menu (or a submenu of
    // it) with its chosenItem set, or null when nothing was chosen.
    virtual PopupMenu* RunPopupMenu(PopupMenu* menu, IBox* box) = 0;
    // Opens a text field over box holding text, for control and parameter.
    virtual void StartTextEntry(IControl* control, ITextStyle* style, IBox* box, const char* text,
                                IParameter* parameter) = 0;
    virtual void HostFolder(TextBuffer* out) = 0;
    virtual void ModuleFolder(TextBuffer* out) = 0;
    virtual void DefaultFileFolder(TextBuffer* out) = 0;
    virtual void ExtraFolder(TextBuffer* out) = 0;
    void AskForFile(TextBuffer* file, int action, TextBuffer* folder,
                    const char* extensions) override = 0;
    // Asks for a colour; false when none was chosen (colour unchanged).
    virtual bool AskForColour(IArgb* colour, const char* prompt) = 0;
    // Opens url, after the confirm question when given; error is shown when
    // it cannot be opened. True when it was opened.
    virtual bool OpenLink(const char* url, const char* title, const char* confirm,
                          const char* error) = 0;
    IWindowHandle OpenEditorWindow(IWindowHandle parent) override = 0;
    virtual bool OptionalRequest(intptr_t, intptr_t, intptr_t, intptr_t);
    virtual void OptionalNotice(intptr_t);
    virtual void OptionalHook();
    void CloseEditorWindow() override = 0;
    virtual IWindowHandle WindowHandle() = 0;
    virtual void HidePointer();
    virtual void ShowPointer();
    virtual void PlatformHook() = 0;
    virtual PIX_IBitmap* LoadImageResource(int resourceId, const char* name) = 0;
    // Called by the plug-in core, which sees the editor through these two.
    void ApplyParameterFromCore(int p, double value, bool normalised) override;
    void CreateSurfaces() override;

    // Controls; the editor owns what it is given.
    int AddControl(IControl* control);
    void AddImageBackdrop(int resourceId, const char* name);
    // A panel of the colour over the whole editor, at index 0.
    void AddColourBackdrop(const IArgb* colour);
    void SetKeyCatcher(IControl* control);
    int ControlCount() const { return controls.Count(); }
    IControl* ControlAt(int index) const { return controls.ItemAt(index); }

    // Parameter fan-out.
    void MarkAllControlsDirty();
    void HideControlsOfParam(int p, bool hidden);
    void GreyControlsOfParam(int p, bool greyed);
    void ClampControlsOfParam(int p, double low, double high, bool normalised);
    void ApplyValueToControlAt(int index, double normalised);
    void ApplyEnteredValueToParam(int p, double normalised);
    void SetControlValueFromText(IControl* control, IParameter* parameter, const char* text);
    // A menu of the value texts for an enum, or a bool with value texts;
    // otherwise a text entry holding the formatted value.
    void AskForParamValue(IControl* control, IParameter* parameter, IBox* box);

    // Images and fonts of the process-wide caches.
    IImageStrip LoadImageStrip(int resourceId, const char* name, int frames, bool framesHorizontal);
    void AddToImageCache(const IImageStrip* strip);
    void RemoveFromImageCache(const IImageStrip* strip);
    PIX_CachedFont* CachedFontFor(ITextStyle* style);

    // Drawing into the draw surface while controls paint.
    bool BlitImage(const IImageStrip* strip, const IBox* dest, int srcX, int srcY,
                   const IBlend* blend);
    bool BlitImageFrame(const IImageStrip* strip, const IBox* dest, int frame, const IBlend* blend);
    bool DrawTextInBox(ITextStyle* style, const char* text, IBox* box, bool measure);

    // Rotated and derived images. Without a blend a routine copies through
    // the source alpha at full weight; only BlitRotatedMask keeps to the
    // draw clip, the others are clipped by the draw surface alone.
    //
    // The whole strip centred on (x, y), turned by angle in RADIANS about its
    // centre moved down by centreOffsetY, sampled bilinearly.
    bool BlitImageRotated(const IImageStrip* strip, int x, int y, double angle, int centreOffsetY,
                          const IBlend* blend);
    // In the scratch bitmap: base with its alpha cleared, mask added and top
    // copied over it, both turned by angleDegrees in DEGREES about the
    // centre; the result drawn like BlitImage at (x, y) in base's size.
    bool BlitRotatedMask(const IImageStrip* base, const IImageStrip* mask, const IImageStrip* top,
                         int x, int y, double angleDegrees, const IBlend* blend);
    // A copy of the whole source stretched to width by height, or of the
    // area of it; the image cache owns the new bitmap.
    IImageStrip MakeScaledImage(const IImageStrip* source, int width, int height);
    IImageStrip MakeCroppedImage(const IImageStrip* source, const IBox* area);

    // Pixels of the draw surface. PlotPoint rounds to the nearest pixel; its
    // last argument has no effect. WritePixelDirect stores the colour
    // unblended, and is false (writing nothing) for a point outside the
    // surface. ReadPixelAt gives (0, 0, 0, 0) outside it.
    bool PlotPoint(const IArgb* colour, float x, float y, const IBlend* blend, bool antialias);
    bool WritePixelDirect(const IArgb* colour, int x, int y);
    IArgb ReadPixelAt(int x, int y);
    PIX_PackedColor* SurfacePixels();

    // Shapes; angles in radians from the top, clockwise. Coordinates become
    // pixels by truncation toward zero.
    bool StrokeSegment(const IArgb* colour, float x1, float y1, float x2, float y2,
                       const IBlend* blend, bool antialias);
    bool StrokeArc(const IArgb* colour, float centreX, float centreY, float radius,
                   float startAngle, float endAngle, const IBlend* blend, bool antialias);
    bool StrokeCircle(const IArgb* colour, float centreX, float centreY, float radius,
                      const IBlend* blend, bool antialias);
    // The outline lies on the box's right and bottom fields.
    bool StrokeRoundedBox(const IArgb* colour, const IBox* box, const IBlend* blend,
                          int cornerRadius, bool antialias);
    // Three bands and four corner discs, all inside the box: the radius is
    // held within 0 and (smaller side - 1) / 2. Where discs and bands
    // overlap, both are combined.
    bool FillRoundedBox(const IArgb* colour, const IBox* box, const IBlend* blend, int cornerRadius,
                        bool antialias);
    bool FillBox(const IArgb* colour, const IBox* box, const IBlend* blend);
    bool FillDisc(const IArgb* colour, int centreX, int centreY, float radius, const IBlend* blend,
                  bool antialias);
    bool PaintTriangle(const IArgb* colour, int x1, int y1, int x2, int y2, int x3, int y3,
                       const IBlend* blend);
    bool PaintConvexPolygon(const IArgb* colour, const int* xs, const int* ys, int count,
                            const IBlend* blend);

    // Lines copied at full weight, the colour's alpha included, end points
    // included.
    bool StrokeVerticalLine(const IArgb* colour, int x, int y1, int y2);
    bool StrokeHorizontalLine(const IArgb* colour, int y, int x1, int x2);
    // On the box's edges and on its right and bottom fields, one pixel
    // outside the box.
    bool StrokeBox(const IArgb* colour, const IBox* box);
    // At level (held within 0 and 1) of the box's width from its left edge,
    // or of its height up from its bottom field.
    bool StrokeVerticalLevel(const IArgb* colour, const IBox* box, float level);
    bool StrokeHorizontalLevel(const IArgb* colour, const IBox* box, float level);
    // From innerRadius to outerRadius out of the centre along angle, in
    // radians: 0 points up, pi / 2 right.
    bool StrokeRadialSegment(const IArgb* colour, float centreX, float centreY, float angle,
                             float innerRadius, float outerRadius, const IBlend* blend,
                             bool antialias);

    // Redraw. The region collected is what changed; a redraw paints the
    // controls there into the draw surface and presents it.
    bool CollectDirtyRegion(IRegion* region);
    bool RedrawRegion(const IRegion* region);
    void SelectRedrawMode(bool strict);
    // Where the control being painted may change the draw surface.
    const IRegion& DrawClip() const { return drawClip; }

    // Input.
    int ControlIndexAt(int x, int y, bool pointerOverMode);
    void DispatchMouseDown(int x, int y, const IPointerKeys* keys);
    void DispatchMouseUp(int x, int y, const IPointerKeys* keys);
    void DispatchMouseDrag(int x, int y, const IPointerKeys* keys);
    bool DispatchDoubleClick(int x, int y, const IPointerKeys* keys);
    void DispatchWheel(int x, int y, const IPointerKeys* keys, int steps);
    bool DispatchPointerOver(int x, int y, const IPointerKeys* keys);
    void DispatchPointerLeave();
    void ReleasePointerCapture();
    bool DispatchKey(int x, int y, IKeyCode key);
    void NoteClickedParam(int x, int y);
    int TakeClickedParam();
    void BroadcastHookToControls();

    PIX_SysBitmap* DrawSurface() const { return drawSurface; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    int FrameRate() const { return frameRate; }
    IUnitBase* Plug() const { return plug; }

protected:
    void DeleteControls();
    void PaintControl(IControl* control, const IRegion& clip);
    // The pieces of the region that no visible, opaque control after
    // control i covers whole.
    IRegion UncoveredPart(const IRegion& region, int i) const;
    // Ends the parameter gesture the last press began, if one is open.
    void EndParameterGesture();

    CriticalSection editorLock;
    PointerList<IControl> controls;
    IUnitBase* plug;
    IRegion drawClip;
    bool pointerHidden = false;
    int hiddenPointerX = -1;
    int hiddenPointerY = -1;
    PIX_SysBitmap* drawSurface = nullptr;
    PIX_MemBitmap* scratchBitmap = nullptr;
    int width;
    int height;
    int frameRate;
    int capturedControl = -1;
    int pointerOverControl = -1;
    int lastPointerX = 0;
    int lastPointerY = 0;
    int clickedParam = -1;
    bool handlePointerOver = false;
    bool strictDrawing = true;
    bool showTooltips = false;
    IControl* keyCatcher = nullptr;
    // The parameter whose gesture the captured control's press began, -1 none.
    int gestureParam = -1;
};

// The plug-in's attached editor as an IGraphics; null without a plug-in, an
// editor, or when the editor is another IUnitEditor.
IGraphics* AttachedGraphics(const IUnitBase* plug);
