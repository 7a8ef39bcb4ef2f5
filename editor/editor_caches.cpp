// The process-wide caches of decoded images and of fonts that every editor
// shares. Both are torn down after the program's main code: fonts first.

#include <cstring>

#include "core/critical_section.h"
#include "core/pointer_list.h"
#include "editor/graphics.h"
#include "raster/bitmap.h"
#include "raster/cached_font.h"
#include "raster/text_system.h"

namespace {

struct ImageCacheEntry {
    int resourceId;
    PIX_IBitmap* bitmap;
};

struct FontCacheEntry {
    int size;
    int orientation;
    int weightStyle;
    char face[32];
    PIX_CachedFont* font;
};

struct ImageCache {
    CriticalSection lock;
    PointerList<ImageCacheEntry> entries;
    ~ImageCache()
    {
        for (int i = 0; i < entries.Count(); ++i) delete entries.ItemAt(i)->bitmap;
        entries.Clear(true);
    }
};

struct FontCache {
    CriticalSection lock;
    PointerList<FontCacheEntry> entries;
    ~FontCache()
    {
        for (int i = 0; i < entries.Count(); ++i) delete entries.ItemAt(i)->font;
        entries.Clear(true);
    }
};

// Constructed in this order, destroyed in the reverse one.
ImageCache gImageCache;
FontCache gFontCache;

PIX_FontQuality QualityOf(int quality)
{
    switch (quality) {
        case 0:
            return PIX_FontQuality::Default;
        case 2:
            return PIX_FontQuality::Antialiased;
        case 3:
            return PIX_FontQuality::ClearType;
        default:
            return PIX_FontQuality::NonAntialiased;
    }
}

// The first entry of an id; the caller holds the cache's lock.
ImageCacheEntry* FirstImageEntry(int resourceId)
{
    for (int i = 0; i < gImageCache.entries.Count(); ++i) {
        ImageCacheEntry* entry = gImageCache.entries.ItemAt(i);
        if (entry->resourceId == resourceId) return entry;
    }
    return nullptr;
}

constexpr int kBoldWeight = 700;
constexpr int kNormalWeight = 400;

}  // namespace

IImageStrip IGraphics::LoadImageStrip(int resourceId, const char* name, int frames,
                                      bool framesHorizontal)
{
    PIX_IBitmap* bitmap = nullptr;
    {
        LockGuard guard(&gImageCache.lock);
        if (const ImageCacheEntry* entry = FirstImageEntry(resourceId)) bitmap = entry->bitmap;
    }
    if (!bitmap) {
        bitmap = LoadImageResource(resourceId, name);
        LockGuard guard(&gImageCache.lock);
        // A load that failed before keeps its one entry, which this load
        // fills; one that came first while this one ran wins.
        ImageCacheEntry* entry = FirstImageEntry(resourceId);
        if (!entry) {
            entry = new ImageCacheEntry{resourceId, bitmap};
            if (!gImageCache.entries.Add(entry)) delete entry;
        } else if (!entry->bitmap) {
            entry->bitmap = bitmap;
        } else {
            delete bitmap;
            bitmap = entry->bitmap;
        }
    }
    IImageStrip strip;
    strip.bitmap = bitmap;
    strip.width = bitmap ? bitmap->PixelWidth() : 0;
    strip.height = bitmap ? bitmap->PixelHeight() : 0;
    strip.frames = frames;
    strip.framesHorizontal = framesHorizontal;
    return strip;
}

void IGraphics::AddToImageCache(const IImageStrip* strip)
{
    if (!strip) return;
    LockGuard guard(&gImageCache.lock);
    ImageCacheEntry* entry = new ImageCacheEntry{-1, strip->bitmap};
    if (!gImageCache.entries.Add(entry)) delete entry;
}

void IGraphics::RemoveFromImageCache(const IImageStrip* strip)
{
    if (!strip) return;
    LockGuard guard(&gImageCache.lock);
    for (int i = 0; i < gImageCache.entries.Count(); ++i) {
        ImageCacheEntry* entry = gImageCache.entries.ItemAt(i);
        if (entry->bitmap != strip->bitmap) continue;
        delete entry->bitmap;
        gImageCache.entries.RemoveAt(i, true);
        return;
    }
}

PIX_CachedFont* IGraphics::CachedFontFor(ITextStyle* style)
{
    if (!style) return nullptr;
    {
        LockGuard guard(&gFontCache.lock);
        for (int i = 0; i < gFontCache.entries.Count(); ++i) {
            const FontCacheEntry* entry = gFontCache.entries.ItemAt(i);
            if (entry->size == style->size && entry->orientation == style->orientation &&
                entry->weightStyle == style->weightStyle &&
                std::strncmp(entry->face, style->face, sizeof entry->face - 1) == 0)
                return style->cachedFont = entry->font;
        }
    }
    // The face as the cache keeps it: at most 31 characters.
    FontCacheEntry* entry =
        new FontCacheEntry{style->size, style->orientation, style->weightStyle, {}, nullptr};
    std::memcpy(entry->face, style->face, sizeof entry->face - 1);
    const PIX_FontRequest request = {entry->face,
                                     style->size,
                                     0,
                                     10 * style->orientation,
                                     style->weightStyle == 1 ? kBoldWeight : kNormalWeight,
                                     style->weightStyle == 2,
                                     QualityOf(style->quality)};
    const PIX_FontHandle system = PIX_CreateSystemFont(request);
    if (!system) {
        delete entry;
        return nullptr;
    }
    PIX_CachedFont* font = new PIX_CachedFont;
    font->AttachFont(system, PIX_FontOwnsGdiFont | PIX_FontSystemRenderer);
    entry->font = font;
    {
        LockGuard guard(&gFontCache.lock);
        if (!gFontCache.entries.Add(entry)) {
            delete entry;
            delete font;
            return nullptr;
        }
    }
    return style->cachedFont = font;
}
