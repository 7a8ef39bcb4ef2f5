#pragma once

#include "raster/bitmap.h"

// Natively, the device context of a PIX_SysBitmap: the bitmap and the text
// state (font, colours, background mode) that the native text renderer uses.
PIX_DeviceContext PIX_CreateNativeContext(PIX_IBitmap* bitmap);
void PIX_DeleteNativeContext(PIX_DeviceContext context);
