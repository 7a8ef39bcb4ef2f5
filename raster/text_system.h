#pragma once

#include <cstdint>

#include "raster/bitmap.h"
#include "raster/font.h"
#include "raster/pixel.h"

// The system's text renderer as the fonts use it: GDI on Windows; natively a
// deterministic renderer of the built-in 8x8 glyphs, scaled to the font's
// size with area coverage, drawing into the bitmaps' own device contexts.

enum class PIX_FontQuality { Default, Antialiased, ClearType, NonAntialiased };

struct PIX_FontRequest {
    const char* face;
    int height;      // the system font's height
    int width;       // 0: the face's own proportions
    int escapement;  // tenths of a degree, counter-clockwise; also the orientation
    int weight;      // 400 normal, 700 bold
    bool italic;
    PIX_FontQuality quality;
};

// Null when the system cannot make the font.
PIX_FontHandle PIX_CreateSystemFont(const PIX_FontRequest& request);
void PIX_DeleteSystemFont(PIX_FontHandle font);

// Selects a font into a context and returns the one it replaces.
PIX_FontHandle PIX_SelectSystemFont(PIX_DeviceContext context, PIX_FontHandle font);
// The text-metrics height of the selected font.
int PIX_SystemFontHeight(PIX_DeviceContext context);
// Colours are system colour values (red in the low byte); a null background
// colour leaves the context's own.
void PIX_SetSystemTextColours(PIX_DeviceContext context, uint32_t textColour, int backgroundMode,
                              const uint32_t* backgroundColour);

// DrawTextA and DrawTextW: draw or (PIX_DtCalcRect) measure into box.
int PIX_SystemDrawText(PIX_DeviceContext context, const char* text, int length, PIX_Box* box,
                       int flags);
int PIX_SystemDrawWideText(PIX_DeviceContext context, const uint16_t* text, int length,
                           PIX_Box* box, int flags);

// Converts UTF-8 (length bytes, or up to and including its zero when
// negative) to UTF-16, rejecting invalid characters. With no output it
// counts; returns the characters written, 0 on failure.
int PIX_SystemUtf8ToWide(const char* text, int length, uint16_t* out, int capacity);

// Whether the system offers wide-character text; asked of the system once.
bool PIX_SystemHasWideText();
// Whether the program runs under Wine.
bool PIX_SystemIsWine();

// A system colour value of a packed colour: red in the low byte.
inline uint32_t PIX_SystemColour(PIX_PackedColor c)
{
    return ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16);
}
