// The plug-in's editor in tests: a headless one whose images come from the
// files under resources/img.

#include "analyser/unit_effect.h"
#include "headless_graphics.h"

IGraphics* CreateEditorGraphics(IUnitEffect* plug, int width, int height, int frameRate)
{
    return new HeadlessGraphics(plug, width, height, frameRate);
}
