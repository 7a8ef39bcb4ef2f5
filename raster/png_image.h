#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "raster/bitmap.h"

// libpng's read structure, opaque here.
struct png_struct_def;

// PNG decoding into 32-bit bitmaps and the registry of image loaders.
//
// Every decoder gives each pixel as a PIX_PackedColor, 8 bits a channel, not
// premultiplied, with the samples as stored (no gamma or colour-space
// chunk applied); an image without alpha gets alpha 255. With `into` given,
// the result is `into` itself, resized to the image, or null; without it, a
// new PIX_MemBitmap (row alignment 4) that the caller deletes, or null.
// Failures give null only; nothing throws. An image whose rows need more
// than the input's size of deflate data (at most about 1032 bytes a byte)
// fails before anything is allocated.

// The state of one decode from memory, handed to libpng as its input pointer.
struct PIX_PngMemoryCursor {
    const uint8_t* next;
    int bytesLeft;
};

// Decodes a complete PNG file image held in memory.
PIX_IBitmap* PIX_DecodePngMemory(const void* data, int size, PIX_IBitmap* into);

// Decodes a PNG file; the path is UTF-8.
PIX_IBitmap* PIX_DecodePngFile(const char* path, PIX_IBitmap* into);

// libpng's read operation for PIX_DecodePngMemory: zero-fills `out`, then
// copies what is left of the cursor's data, at most `length` bytes.
void PIX_PngMemoryReader(png_struct_def* png, uint8_t* out, size_t length);

// Opens a UTF-8 path for binary reading; null when it cannot.
FILE* PIX_OpenPngFile(const char* path);

#ifdef _WIN32
struct HINSTANCE__;

// The image of the resource of type "PNG" and integer id `resourceId` in the
// module of `instance`; the resource memory is read in place.
PIX_IBitmap* PIX_DecodePngResource(HINSTANCE__* instance, int resourceId, PIX_IBitmap* into);
#endif

// One image loader of the registry.
struct PIX_ImageHandler {
    // Decodes the file into `into` or a new bitmap; null when the handler
    // does not take the file or decoding fails.
    PIX_IBitmap* (*load)(const char* path, bool checkExtension, PIX_IBitmap* into);
    // NUL-terminated strings closed by an empty one: pairs of a description
    // and a pattern string whose patterns are joined by ";".
    const char* (*filterText)();
    PIX_ImageHandler* next;
};

// Head of the handler list; handlers are linked in at start-up and never
// unlinked.
extern PIX_ImageHandler* PIX_ImageHandlerList;

// Links the PNG handler in at the head of the list. Runs once among the
// static initialisers of the translation unit that holds the registry.
void PIX_RegisterPngHandler();

// The PNG handler's operations.
PIX_IBitmap* PIX_PngLoadHandler(const char* path, bool checkExtension, PIX_IBitmap* into);
const char* PIX_PngFilterText();

// The first image any handler gives with its extension check; then, when
// `retryWithoutCheck`, the first any gives without it.
PIX_IBitmap* PIX_LoadImageThroughHandlers(const char* path, PIX_IBitmap* into,
                                          bool retryWithoutCheck);

// True when the path's extension stands in the first pattern string of a
// handler's filter text, ignoring case.
bool PIX_HandlerKnowsExtension(const char* path);

// A new filter text for the system file dialogs (malloc; release with free),
// or null.
char* PIX_BuildImageFilter(bool allSupportedEntry, bool allFilesEntry);

// Appends `count` bytes to the growing text, reallocating it with 4096 bytes
// to spare when it is full. True means failure; the text is then unchanged.
bool PIX_AppendFilterText(char** text, int* capacity, int* used, const void* bytes, int count);
