#include "raster/png_image.h"

#include <png.h>

#include <climits>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Largest width or height libpng lets through; bounds its own row buffers
// (at most 8 bytes a pixel) before the bitmap's size check.
constexpr png_uint_32 kMaxImageSide = png_uint_32(1) << 20;

// Deflate makes at most about 1032 bytes of one byte of its data.
constexpr int64_t kMaxDeflateExpansion = 1032;

using InputSetup = void (*)(png_structp png, void* input);

// Everything a decode holds, outside the frame that takes the error return,
// so that it keeps its values across a long jump.
struct DecodeJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    InputSetup setInput = nullptr;
    void* input = nullptr;
    int64_t inputBytes = -1;  // the whole input's size; -1 when unknown
    PIX_IBitmap* into = nullptr;
    PIX_MemBitmap* created = nullptr;
    PIX_IBitmap* target = nullptr;
    png_bytep* rows = nullptr;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
};

void SetMemoryInput(png_structp png, void* cursor)
{
    png_set_read_fn(png, cursor, PIX_PngMemoryReader);
}

void SetFileInput(png_structp png, void* file)
{
    png_init_io(png, static_cast<FILE*>(file));
}

// The fewest input bytes whose deflate data can inflate to the image's rows,
// each a filter byte and the packed samples. The passes of an interlaced
// image hold at least as many bytes.
int64_t LeastInputBytes(png_uint_32 width, png_uint_32 height, int channels, int depth)
{
    const int64_t rowBytes = (int64_t(width) * channels * depth + 7) / 8;
    const int64_t imageBytes = int64_t(height) * (1 + rowBytes);
    return (imageBytes + kMaxDeflateExpansion - 1) / kMaxDeflateExpansion;
}

// The size of an open file, -1 when it cannot be measured; the file is left
// at its start. A file past what a long holds (2 GiB on Win64) would bound no
// image that a bitmap takes.
int64_t FileBytes(FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

// Header, read transformations, destination and the whole-image read. False
// when the input cannot hold the image or the destination cannot take it;
// libpng's errors jump out.
bool ReadImage(DecodeJob& job)
{
    png_structp png = job.png;
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    job.setInput(png, job.input);
    png_read_info(png, job.info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, type = 0, interlace = 0, compression = 0, filter = 0;
    png_get_IHDR(png, job.info, &width, &height, &depth, &type, &interlace, &compression, &filter);
    const int channels = png_get_channels(png, job.info);  // samples a pixel in the file

    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, job.info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
        type |= PNG_COLOR_MASK_ALPHA;
    }
    if (depth == 16) png_set_strip_16(png);
    if (depth < 8) png_set_packing(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (type & PNG_COLOR_MASK_ALPHA)
        png_set_swap_alpha(png);
    else
        png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);

    // Before anything is allocated: the pixel block must fit a bitmap, and
    // the input must hold the data of the image its header announces.
    if (4 * int64_t(width) * int64_t(height) > PIX_MaxBitmapBytes) return false;
    if (job.inputBytes >= 0 && LeastInputBytes(width, height, channels, depth) > job.inputBytes)
        return false;
    const int w = int(width);
    const int h = int(height);
    if (job.into) {
        job.into->SetSize(w, h);
        job.target = job.into;
    } else {
        job.created = new (std::nothrow) PIX_MemBitmap(w, h, 4);
        job.target = job.created;
        if (!job.target) return false;
    }
    PIX_IBitmap* target = job.target;
    PIX_PackedColor* pixels = target->PixelData();
    const int stride = target->RowStride();
    if (target->PixelWidth() != w || target->PixelHeight() != h || !pixels || stride < w)
        return false;

    job.rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * size_t(h)));
    if (!job.rows) return false;
    const bool bottomUp = target->IsBottomUp();
    for (int y = 0; y < h; ++y) {
        const int64_t row = bottomUp ? h - 1 - y : y;
        job.rows[y] = reinterpret_cast<png_bytep>(pixels + row * stride);
    }
    job.width = width;
    job.height = height;
    png_read_image(png, job.rows);
    return true;
}

// Runs ReadImage with libpng's error return armed; false on any error.
__attribute__((noinline)) bool ReadUnderErrorReturn(DecodeJob& job)
{
    if (setjmp(png_jmpbuf(job.png))) return false;
    return ReadImage(job);
}

// Turns each row's bytes alpha, red, green, blue into packed colours.
void RepackRows(const DecodeJob& job)
{
    for (png_uint_32 y = 0; y < job.height; ++y) {
        png_bytep row = job.rows[y];
        PIX_PackedColor* out = reinterpret_cast<PIX_PackedColor*>(row);
        for (png_uint_32 x = 0; x < job.width; ++x) {
            const png_bytep p = row + 4 * size_t(x);
            out[x] = PIX_PackedColor(p[0]) << 24 | PIX_PackedColor(p[1]) << 16 |
                     PIX_PackedColor(p[2]) << 8 | PIX_PackedColor(p[3]);
        }
    }
}

PIX_IBitmap* Decode(InputSetup setInput, void* input, int64_t inputBytes, PIX_IBitmap* into)
{
    DecodeJob job;
    job.setInput = setInput;
    job.input = input;
    job.inputBytes = inputBytes;
    job.into = into;
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!job.png) return nullptr;
    job.info = png_create_info_struct(job.png);
    if (!job.info) {
        png_destroy_read_struct(&job.png, nullptr, nullptr);
        return nullptr;
    }

    const bool read = ReadUnderErrorReturn(job);
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    if (read) RepackRows(job);
    std::free(job.rows);
    if (read) return job.target;
    delete job.created;
    return nullptr;
}

int LowerAscii(int c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// Case-insensitive comparison of at most `count` characters, stopping at a
// terminator.
bool EqualIgnoringCase(const char* a, const char* b, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (LowerAscii(static_cast<unsigned char>(a[i])) !=
            LowerAscii(static_cast<unsigned char>(b[i])))
            return false;
        if (a[i] == 0) return true;
    }
    return true;
}

// Bytes of a filter list up to and including its closing empty string.
size_t FilterListLength(const char* list)
{
    const char* s = list;
    while (*s) s += std::strlen(s) + 1;
    return size_t(s - list) + 1;
}

const char kPngFilterText[] = "PNG files (*.PNG)\0*.PNG\0";

PIX_ImageHandler gPngHandler = {};

struct PngHandlerRegistration {
    PngHandlerRegistration() { PIX_RegisterPngHandler(); }
} gPngHandlerRegistration;

}  // namespace

PIX_ImageHandler* PIX_ImageHandlerList = nullptr;

void PIX_PngMemoryReader(png_struct_def* png, uint8_t* out, size_t length)
{
    if (!out || length == 0) return;
    std::memset(out, 0, length);
    auto* cursor = static_cast<PIX_PngMemoryCursor*>(png_get_io_ptr(png));
    if (!cursor || cursor->bytesLeft <= 0) return;
    const size_t count = length < size_t(cursor->bytesLeft) ? length : size_t(cursor->bytesLeft);
    std::memcpy(out, cursor->next, count);
    cursor->next += count;
    cursor->bytesLeft -= int(count);
}

PIX_IBitmap* PIX_DecodePngMemory(const void* data, int size, PIX_IBitmap* into)
{
    if (!data || size < 8) return nullptr;
    if (png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return nullptr;
    PIX_PngMemoryCursor cursor = {static_cast<const uint8_t*>(data), size};
    return Decode(SetMemoryInput, &cursor, size, into);
}

#ifndef _WIN32
FILE* PIX_OpenPngFile(const char* path)
{
    return path ? std::fopen(path, "rb") : nullptr;
}
#endif

PIX_IBitmap* PIX_DecodePngFile(const char* path, PIX_IBitmap* into)
{
    FILE* file = PIX_OpenPngFile(path);
    if (!file) return nullptr;
    PIX_IBitmap* result = Decode(SetFileInput, file, FileBytes(file), into);
    std::fclose(file);
    return result;
}

void PIX_RegisterPngHandler()
{
    gPngHandler.load = PIX_PngLoadHandler;
    gPngHandler.filterText = PIX_PngFilterText;
    gPngHandler.next = PIX_ImageHandlerList;
    PIX_ImageHandlerList = &gPngHandler;
}

PIX_IBitmap* PIX_PngLoadHandler(const char* path, bool checkExtension, PIX_IBitmap* into)
{
    if (checkExtension) {
        if (!path) return nullptr;
        const char* from = path;
        for (const char* p = path + std::strlen(path); p > path;) {
            --p;
            if (*p == '.' || *p == '/' || *p == '\\') {
                from = p;
                break;
            }
        }
        if (!EqualIgnoringCase(from, ".png", sizeof ".png")) return nullptr;
    }
    return PIX_DecodePngFile(path, into);
}

const char* PIX_PngFilterText()
{
    return kPngFilterText;
}

PIX_IBitmap* PIX_LoadImageThroughHandlers(const char* path, PIX_IBitmap* into,
                                          bool retryWithoutCheck)
{
    for (PIX_ImageHandler* h = PIX_ImageHandlerList; h; h = h->next)
        if (h->load)
            if (PIX_IBitmap* image = h->load(path, true, into)) return image;
    if (!retryWithoutCheck) return nullptr;
    for (PIX_ImageHandler* h = PIX_ImageHandlerList; h; h = h->next)
        if (h->load)
            if (PIX_IBitmap* image = h->load(path, false, into)) return image;
    return nullptr;
}

bool PIX_HandlerKnowsExtension(const char* path)
{
    if (!path) return false;
    const size_t length = std::strlen(path);
    const char* extension = nullptr;
    for (size_t i = length; i-- > 0;) {
        if (path[i] == '/' || path[i] == '\\') return false;
        if (path[i] == '.') {
            extension = path + i;
            break;
        }
    }
    if (!extension) return false;
    const size_t extensionLength = length - size_t(extension - path);

    for (PIX_ImageHandler* h = PIX_ImageHandlerList; h; h = h->next) {
        const char* list = h->filterText ? h->filterText() : nullptr;
        if (!list || !*list) continue;
        for (const char* p = list + std::strlen(list) + 1; *p; ++p) {
            if (EqualIgnoringCase(p, extension, extensionLength) &&
                (p[extensionLength] == ';' || p[extensionLength] == 0))
                return true;
        }
    }
    return false;
}

bool PIX_AppendFilterText(char** text, int* capacity, int* used, const void* bytes, int count)
{
    if (!text || !*text || !capacity || !used || count < 0 || (count > 0 && !bytes)) return true;
    const int64_t need = int64_t(*used) + count;
    if (need > *capacity) {
        const int64_t grown = need + 4096;
        if (grown > INT_MAX) return true;
        char* block = static_cast<char*>(std::realloc(*text, size_t(grown)));
        if (!block) return true;
        *text = block;
        *capacity = int(grown);
    }
    if (count > 0) std::memcpy(*text + *used, bytes, size_t(count));
    *used += count;
    return false;
}

char* PIX_BuildImageFilter(bool allSupportedEntry, bool allFilesEntry)
{
    int capacity = 4096;
    int used = 0;
    char* text = static_cast<char*>(std::malloc(size_t(capacity)));
    if (!text) return nullptr;
    text[0] = text[1] = text[2] = 0;

    if (allSupportedEntry) {
        static const char kAllSupported[] = "All supported images";
        bool failed =
            PIX_AppendFilterText(&text, &capacity, &used, kAllSupported, sizeof kAllSupported);
        bool anyPattern = false;
        for (PIX_ImageHandler* h = PIX_ImageHandlerList; h && !failed; h = h->next) {
            const char* s = h->filterText ? h->filterText() : nullptr;
            while (s && *s && !failed) {
                const char* pattern = s + std::strlen(s) + 1;
                if (!*pattern) break;
                const int patternLength = int(std::strlen(pattern));
                failed = (anyPattern && PIX_AppendFilterText(&text, &capacity, &used, ";", 1)) ||
                         PIX_AppendFilterText(&text, &capacity, &used, pattern, patternLength);
                anyPattern = true;
                s = pattern + patternLength + 1;
            }
        }
        // Ends the pattern string and closes the list.
        if (!failed && anyPattern) failed = PIX_AppendFilterText(&text, &capacity, &used, "\0", 2);
        if (failed) {
            std::free(text);
            return nullptr;
        }
        if (anyPattern) {
            used -= 1;
        } else {
            used = 0;
            text[0] = text[1] = text[2] = 0;
        }
    }

    for (PIX_ImageHandler* h = PIX_ImageHandlerList; h; h = h->next) {
        const char* list = h->filterText ? h->filterText() : nullptr;
        if (!list || !*list) continue;
        if (PIX_AppendFilterText(&text, &capacity, &used, list, int(FilterListLength(list))))
            return text;
        used -= 1;
    }

    if (allFilesEntry) {
        static const char kAllFiles[] = "All files (*.*)\0*.*\0";
        static_assert(sizeof kAllFiles == 21, "two strings and the closing empty one");
        PIX_AppendFilterText(&text, &capacity, &used, kAllFiles, sizeof kAllFiles);
    }
    return text;
}
