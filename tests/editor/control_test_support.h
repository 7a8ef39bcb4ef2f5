#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/records.h"
#include "support/test_unit.h"

// Helpers of the control tests.

// An image strip without pixels, for the controls' arithmetic.
inline IImageStrip Strip(int width, int height, int frames)
{
    IImageStrip strip;
    strip.width = width;
    strip.height = height;
    strip.frames = frames;
    return strip;
}

// What a push of v to parameter 0 leaves in the plug-in's log.
inline std::vector<std::string> Pushed(double v)
{
    return {"report 0 " + std::to_string(v), "changed 0"};
}

// A plug-in whose one parameter is a double from 0 to 1, and the keys of a
// plain and of a right-button press.
class OneParameterTest : public ::testing::Test {
protected:
    OneParameterTest()
    {
        unit.ParameterAt(0)->SetupDouble("p", 0.0, 0.0, 1.0, 0.0001, "", "", 1.0);
    }

    TestUnit unit{1};
    const IPointerKeys none = {};
    const IPointerKeys rightButton = {false, true};
};
