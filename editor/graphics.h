#pragma once

// The editor as the plug-in core sees it: the plug-in owns it and pushes
// parameter values into it. The editor framework implements it.
class IGraphics {
public:
    virtual ~IGraphics() = default;

    // Shows a value in every control bound to the parameter (normalising it
    // first when normalized is false).
    virtual void ApplyParameterFromCore(int index, double value, bool normalized) = 0;
    // Prepares the editor's drawing surfaces.
    virtual void CreateSurfaces() = 0;
};
