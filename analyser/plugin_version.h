#pragma once

// The plug-in's version: major in the top 16 bits, minor in bits 8 to 15,
// revision in bits 0 to 7. The build reads it from here to name the
// program's package.
constexpr int kPluginVersion = 0x00010000;
