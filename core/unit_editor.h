#pragma once

// The plug-in's view of its editor: what the core calls on the editor it was
// handed. The editor library's IGraphics implements it; the core owns the
// attached editor and deletes it through this interface.
class IUnitEditor {
public:
    virtual ~IUnitEditor() = default;
    // A parameter's value (normalised, or plain when normalised is false)
    // reaches the controls that show it.
    virtual void ApplyParameterFromCore(int p, double value, bool normalised) = 0;
    // Prepares the drawing surfaces; called once, after the first values.
    virtual void CreateSurfaces() = 0;
};
