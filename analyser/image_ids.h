#pragma once

// The editor's images, resources of type "PNG" in the module that holds the
// editor (shared by the resource scripts and the code; the resource
// compiler reads plain #define lines only).
#define IDR_PNG_BACKGROUND 101
#define IDR_PNG_KNOB 103
#define IDR_PNG_CHECK_BOX 105
#define IDR_PNG_CHANNEL_SWITCH 120
#define IDR_PNG_PHASE_SWITCH 121
#define IDR_PNG_ABOUT 199
