#include "raster/png_image.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// The PNG handler is reached through the registry only: this program never
// names it, so its registration must come with the registry itself.

namespace {

using Bytes = std::vector<uint8_t>;

// An image to write with libpng: raw samples at the file's bit depth.
struct TestPicture {
    int width = 13;
    int height = 7;
    int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;  // tRNS of a palette image
    bool hasTransparentColour = false;   // tRNS of a grey or RGB image
    png_color_16 transparent = {};
    std::vector<uint16_t> samples;
    bool ancillaryChunks = false;  // gAMA and tEXt before the image data
    size_t idatSize = 0;           // 0: libpng's default IDAT size
};

int ChannelsOf(int colorType)
{
    switch (colorType) {
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        default:
            return 1;
    }
}

void AppendToVector(png_structp png, png_bytep data, size_t length)
{
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

Bytes WritePng(const TestPicture& s)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendToVector, FlushNothing);
    if (s.idatSize) png_set_compression_buffer_size(png, s.idatSize);
    png_set_IHDR(png, info, png_uint_32(s.width), png_uint_32(s.height), s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
    if (!s.paletteAlpha.empty())
        png_set_tRNS(png, info, s.paletteAlpha.data(), int(s.paletteAlpha.size()), nullptr);
    if (s.hasTransparentColour) {
        png_color_16 t = s.transparent;
        png_set_tRNS(png, info, nullptr, 0, &t);
    }
    if (s.ancillaryChunks) {
        png_set_gAMA(png, info, 1.0 / 2.2);
        png_text text = {};
        text.compression = PNG_TEXT_COMPRESSION_NONE;
        text.key = const_cast<char*>("Comment");
        text.text = const_cast<char*>("made for a test");
        png_set_text(png, info, &text, 1);
    }
    png_write_info(png, info);

    const int channels = ChannelsOf(s.colorType);
    const size_t rowBytes = (size_t(s.width) * channels * s.bitDepth + 7) / 8;
    std::vector<Bytes> rows(size_t(s.height), Bytes(rowBytes, 0));
    std::vector<png_bytep> rowPointers;
    for (int y = 0; y < s.height; ++y) {
        Bytes& row = rows[size_t(y)];
        for (int i = 0; i < s.width * channels; ++i) {
            const unsigned v = s.samples[size_t(y * s.width * channels + i)];
            if (s.bitDepth == 16) {
                row[size_t(2 * i)] = png_byte(v >> 8);
                row[size_t(2 * i + 1)] = png_byte(v);
            } else if (s.bitDepth == 8) {
                row[size_t(i)] = png_byte(v);
            } else {
                const int bit = i * s.bitDepth;
                row[size_t(bit / 8)] |= png_byte(v << (8 - s.bitDepth - bit % 8));
            }
        }
        rowPointers.push_back(row.data());
    }
    png_write_image(png, rowPointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A colour type and bit depth with deterministic samples; the tRNS colour of
// a grey or RGB image is the colour of pixel (1, 0), so that it occurs.
TestPicture MakePicture(int colorType, int bitDepth, bool transparency, bool interlaced)
{
    TestPicture s;
    s.colorType = colorType;
    s.bitDepth = bitDepth;
    s.interlaced = interlaced;
    const int channels = ChannelsOf(colorType);
    const uint32_t maxValue = (1u << bitDepth) - 1;
    const uint32_t paletteSize =
        colorType == PNG_COLOR_TYPE_PALETTE ? (bitDepth == 8 ? 200u : maxValue + 1) : 0;
    for (int i = 0; i < s.width * s.height * channels; ++i) {
        const uint32_t h = uint32_t(i + 1) * 2654435761u;
        const uint32_t v = (h ^ (h >> 15)) % (paletteSize ? paletteSize : maxValue + 1);
        s.samples.push_back(uint16_t(v));
    }
    for (uint32_t i = 0; i < paletteSize; ++i)
        s.palette.push_back({png_byte(i * 37 + 5), png_byte(255 - i * 11), png_byte(i * 101 + 3)});
    if (transparency) {
        if (colorType == PNG_COLOR_TYPE_PALETTE) {
            for (uint32_t i = 0; i < (paletteSize + 1) / 2; ++i)
                s.paletteAlpha.push_back(png_byte(i * 53 + 1));
        } else {
            s.hasTransparentColour = true;
            const uint16_t* p = &s.samples[size_t(channels)];
            if (channels == 1) {
                s.transparent.gray = p[0];
            } else {
                s.transparent.red = p[0];
                s.transparent.green = p[1];
                s.transparent.blue = p[2];
            }
        }
    }
    return s;
}

// What pixel (x, y) must decode to, from the PNG rules alone.
PIX_PackedColor ExpectedPixel(const TestPicture& s, int x, int y)
{
    const int channels = ChannelsOf(s.colorType);
    const uint16_t* p = &s.samples[size_t((y * s.width + x) * channels)];
    const auto to8 = [&](uint32_t v) -> uint32_t {
        if (s.bitDepth == 16) return v >> 8;
        return v * 255 / ((1u << s.bitDepth) - 1);
    };
    uint32_t a = 255, r = 0, g = 0, b = 0;
    switch (s.colorType) {
        case PNG_COLOR_TYPE_PALETTE:
            r = s.palette[p[0]].red;
            g = s.palette[p[0]].green;
            b = s.palette[p[0]].blue;
            if (p[0] < s.paletteAlpha.size()) a = s.paletteAlpha[p[0]];
            break;
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            r = g = b = to8(p[0]);
            if (channels == 2) a = to8(p[1]);
            if (s.hasTransparentColour && p[0] == s.transparent.gray) a = 0;
            break;
        default:
            r = to8(p[0]);
            g = to8(p[1]);
            b = to8(p[2]);
            if (channels == 4) a = to8(p[3]);
            if (s.hasTransparentColour && p[0] == s.transparent.red &&
                p[1] == s.transparent.green && p[2] == s.transparent.blue)
                a = 0;
            break;
    }
    return a << 24 | r << 16 | g << 8 | b;
}

// Pixel (x, y) as the raster operations address it.
PIX_PackedColor PixelAt(const PIX_IBitmap& bitmap, int x, int y)
{
    const int row = bitmap.IsBottomUp() ? bitmap.PixelHeight() - 1 - y : y;
    return bitmap.PixelData()[size_t(row) * size_t(bitmap.RowStride()) + size_t(x)];
}

::testing::AssertionResult HasPixelsOf(const PIX_IBitmap* bitmap, const TestPicture& s)
{
    if (!bitmap) return ::testing::AssertionFailure() << "no image";
    if (bitmap->PixelWidth() != s.width || bitmap->PixelHeight() != s.height)
        return ::testing::AssertionFailure()
               << "size " << bitmap->PixelWidth() << "x" << bitmap->PixelHeight();
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (PixelAt(*bitmap, x, y) != ExpectedPixel(s, x, y))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << ": " << std::hex << PixelAt(*bitmap, x, y)
                       << " instead of " << ExpectedPixel(s, x, y);
    return ::testing::AssertionSuccess();
}

using BitmapPtr = std::unique_ptr<PIX_IBitmap>;

BitmapPtr DecodeMemory(const Bytes& png)
{
    return BitmapPtr(PIX_DecodePngMemory(png.data(), int(png.size()), nullptr));
}

class BottomUpBitmap : public PIX_MemBitmap {
public:
    using PIX_MemBitmap::PIX_MemBitmap;
    bool IsBottomUp() const override { return true; }
};

// A destination that records the sizes asked of it and never takes one.
class RefusingBitmap : public PIX_IBitmap {
public:
    PIX_PackedColor* PixelData() const override { return nullptr; }
    int PixelWidth() const override { return 0; }
    int PixelHeight() const override { return 0; }
    int RowStride() const override { return 0; }
    bool SetSize(int width, int height) override
    {
        ++calls;
        askedWidth = width;
        askedHeight = height;
        return false;
    }
    int calls = 0;
    int askedWidth = 0;
    int askedHeight = 0;
};

struct ColourCase {
    const char* name;
    int colorType;
    int bitDepth;
    bool transparency;
    bool interlaced;
};

void PrintTo(const ColourCase& c, std::ostream* os)
{
    *os << c.name;
}

class PngColourTypes : public ::testing::TestWithParam<ColourCase> {};

TEST_P(PngColourTypes, DecodeToTheSamplesAsPackedColours)
{
    const ColourCase& c = GetParam();
    const TestPicture picture = MakePicture(c.colorType, c.bitDepth, c.transparency, c.interlaced);
    BitmapPtr image = DecodeMemory(WritePng(picture));
    ASSERT_TRUE(image);
    EXPECT_NE(dynamic_cast<PIX_MemBitmap*>(image.get()), nullptr);
    EXPECT_EQ(image->RowStride(), 16);  // 13 pixels at row alignment 4
    EXPECT_TRUE(HasPixelsOf(image.get(), picture));
}

const ColourCase kColourCases[] = {
    {"palette1", PNG_COLOR_TYPE_PALETTE, 1, false, false},
    {"palette2_trns", PNG_COLOR_TYPE_PALETTE, 2, true, false},
    {"palette4", PNG_COLOR_TYPE_PALETTE, 4, false, false},
    {"palette8", PNG_COLOR_TYPE_PALETTE, 8, false, false},
    {"palette8_trns", PNG_COLOR_TYPE_PALETTE, 8, true, false},
    {"grey1", PNG_COLOR_TYPE_GRAY, 1, false, false},
    {"grey2", PNG_COLOR_TYPE_GRAY, 2, false, false},
    {"grey4", PNG_COLOR_TYPE_GRAY, 4, false, false},
    {"grey8", PNG_COLOR_TYPE_GRAY, 8, false, false},
    {"grey16", PNG_COLOR_TYPE_GRAY, 16, false, false},
    {"grey2_trns", PNG_COLOR_TYPE_GRAY, 2, true, false},
    {"grey8_trns", PNG_COLOR_TYPE_GRAY, 8, true, false},
    {"grey16_trns", PNG_COLOR_TYPE_GRAY, 16, true, false},
    {"greyalpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
    {"greyalpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false},
    {"rgb8", PNG_COLOR_TYPE_RGB, 8, false, false},
    {"rgb16", PNG_COLOR_TYPE_RGB, 16, false, false},
    {"rgb8_trns", PNG_COLOR_TYPE_RGB, 8, true, false},
    {"rgb16_trns", PNG_COLOR_TYPE_RGB, 16, true, false},
    {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false},
    {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false},
    {"rgba8_adam7", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, true},
    {"grey1_adam7", PNG_COLOR_TYPE_GRAY, 1, false, true},
    {"palette4_trns_adam7", PNG_COLOR_TYPE_PALETTE, 4, true, true},
    {"rgb16_adam7", PNG_COLOR_TYPE_RGB, 16, false, true},
};

INSTANTIATE_TEST_SUITE_P(Table, PngColourTypes, ::testing::ValuesIn(kColourCases),
                         [](const ::testing::TestParamInfo<ColourCase>& info) {
                             return info.param.name;
                         });

TEST(PngDecode, ThePicturesCoverWhatTheTransformationsDistinguish)
{
    // 16-bit samples whose low byte would round up show truncation; the tRNS
    // colour and palette entries past the tRNS table must occur.
    const TestPicture grey16 = MakePicture(PNG_COLOR_TYPE_GRAY, 16, false, false);
    int roundingUp = 0;
    for (uint16_t v : grey16.samples) roundingUp += (v & 0xFF) >= 0x80 && (v >> 8) < 0xFF;
    EXPECT_GT(roundingUp, 5);

    const TestPicture palette = MakePicture(PNG_COLOR_TYPE_PALETTE, 8, true, false);
    int pastTable = 0;
    for (uint16_t v : palette.samples) pastTable += v >= palette.paletteAlpha.size();
    EXPECT_GT(pastTable, 5);
}

TEST(PngDecode, ShortOrForeignDataGivesNull)
{
    const Bytes png = WritePng(MakePicture(PNG_COLOR_TYPE_RGB, 8, false, false));
    Bytes wrongSignature = png;
    wrongSignature[1] = 'Q';
    const struct {
        const char* name;
        const void* data;
        int size;
    } cases[] = {
        {"null data", nullptr, 100},
        {"empty", png.data(), 0},
        {"negative size", png.data(), -5},
        {"seven bytes", png.data(), 7},
        {"signature alone", png.data(), 8},
        {"wrong signature", wrongSignature.data(), int(wrongSignature.size())},
        {"text", "not a picture at all", 20},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PIX_DecodePngMemory(c.data, c.size, nullptr), nullptr) << c.name;
        PIX_MemBitmap into(2, 2, 4);
        EXPECT_EQ(PIX_DecodePngMemory(c.data, c.size, &into), nullptr) << c.name;
    }
}

TEST(PngDecode, AGivenBitmapIsResizedAndReturned)
{
    const TestPicture picture = MakePicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false);
    const Bytes png = WritePng(picture);
    for (int w : {1, 13, 40}) {
        PIX_MemBitmap into(w, 3, 4);
        EXPECT_EQ(PIX_DecodePngMemory(png.data(), int(png.size()), &into), &into) << w;
        EXPECT_TRUE(HasPixelsOf(&into, picture)) << w;
    }
}

TEST(PngDecode, PixelsPastTheWidthAreLeftAsTheyWere)
{
    const TestPicture picture = MakePicture(PNG_COLOR_TYPE_GRAY, 4, false, false);
    const Bytes png = WritePng(picture);
    PIX_MemBitmap into(picture.width, picture.height, 4);
    for (int i = 0; i < into.RowStride() * into.PixelHeight(); ++i)
        into.PixelData()[i] = 0xDEADBEEF;
    ASSERT_EQ(PIX_DecodePngMemory(png.data(), int(png.size()), &into), &into);
    EXPECT_TRUE(HasPixelsOf(&into, picture));
    for (int y = 0; y < picture.height; ++y)
        for (int x = picture.width; x < into.RowStride(); ++x)
            EXPECT_EQ(into.PixelData()[y * into.RowStride() + x], 0xDEADBEEFu) << x << "," << y;
}

TEST(PngDecode, ABottomUpBitmapGetsImageRowZeroAtItsLastRow)
{
    const TestPicture picture = MakePicture(PNG_COLOR_TYPE_RGB, 8, false, false);
    const Bytes png = WritePng(picture);
    BottomUpBitmap into(1, 1, 4);
    ASSERT_EQ(PIX_DecodePngMemory(png.data(), int(png.size()), &into), &into);
    EXPECT_TRUE(HasPixelsOf(&into, picture));
    EXPECT_EQ(into.PixelData()[(picture.height - 1) * into.RowStride()],
              ExpectedPixel(picture, 0, 0));
}

TEST(PngDecode, ADestinationThatCannotTakeTheSizeFailsAndStaysTheCallers)
{
    const Bytes png = WritePng(MakePicture(PNG_COLOR_TYPE_RGB, 8, false, false));
    RefusingBitmap into;
    EXPECT_EQ(PIX_DecodePngMemory(png.data(), int(png.size()), &into), nullptr);
    EXPECT_EQ(into.calls, 1);
    EXPECT_EQ(into.askedWidth, 13);
    EXPECT_EQ(into.askedHeight, 7);
}

TEST(PngDecode, AFailureAfterResizingLeavesTheGivenBitmapResized)
{
    const Bytes png = WritePng(MakePicture(PNG_COLOR_TYPE_RGB, 8, false, false));
    PIX_MemBitmap into(2, 2, 4);
    EXPECT_EQ(PIX_DecodePngMemory(png.data(), int(png.size()) - 20, &into), nullptr);
    EXPECT_EQ(into.PixelWidth(), 13);
    EXPECT_EQ(into.PixelHeight(), 7);
}

// The chunks of a PNG file: where each starts and its data length.
struct Chunk {
    size_t offset;
    size_t length;
    std::string type;
};

std::vector<Chunk> ChunksOf(const Bytes& png)
{
    std::vector<Chunk> chunks;
    for (size_t at = 8; at + 12 <= png.size();) {
        const size_t length = size_t(png[at]) << 24 | size_t(png[at + 1]) << 16 |
                              size_t(png[at + 2]) << 8 | png[at + 3];
        chunks.push_back(
            {at, length, std::string(png.begin() + long(at) + 4, png.begin() + long(at) + 8)});
        at += 12 + length;
    }
    return chunks;
}

// An RGBA image with ancillary chunks before its data, split over several IDAT chunks.
TestPicture CorruptionSubject()
{
    TestPicture picture = MakePicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false);
    picture.ancillaryChunks = true;
    picture.idatSize = 64;
    return picture;
}

TEST(PngDecode, EveryPrefixFailsUnlessItHoldsAllTheImageData)
{
    const TestPicture picture = CorruptionSubject();
    const Bytes png = WritePng(picture);
    const std::vector<Chunk> chunks = ChunksOf(png);
    ASSERT_GE(chunks.size(), 6u);
    ASSERT_EQ(chunks.back().type, "IEND");
    ASSERT_EQ(chunks.back().offset + 12, png.size());
    // The decoder reads up to the last IDAT chunk's CRC, never the IEND
    // chunk; the reader answers missing bytes with zeros, so a prefix also
    // decodes when every byte it lacks before IEND is zero.
    const size_t imageEnd = chunks.back().offset;
    for (size_t n = 0; n <= png.size(); ++n) {
        Bytes prefix(png.begin(), png.begin() + long(n));
        bool lacksOnlyZeros = true;
        for (size_t i = n; i < imageEnd; ++i) lacksOnlyZeros = lacksOnlyZeros && png[i] == 0;
        BitmapPtr image = DecodeMemory(prefix);
        if (n >= 8 && lacksOnlyZeros) {
            EXPECT_TRUE(HasPixelsOf(image.get(), picture)) << n;
        } else {
            EXPECT_FALSE(image) << n;
        }
    }
}

TEST(PngDecode, SingleByteCorruptionsFailOrGiveTheSameImage)
{
    const TestPicture picture = CorruptionSubject();
    const Bytes png = WritePng(picture);
    const std::vector<Chunk> chunks = ChunksOf(png);
    enum Outcome { kNull, kSameImage, kNullOrSameImage };
    // Signature, IHDR and IDAT chunks must be intact; a bad CRC in an
    // ancillary chunk only drops that chunk; IEND is never read.
    std::vector<Outcome> expected(png.size(), kNull);
    for (const Chunk& c : chunks) {
        const bool ancillary = (c.type[0] & 0x20) != 0;
        for (size_t i = c.offset; i < c.offset + 12 + c.length; ++i) {
            if (c.type == "IEND")
                expected[i] = kSameImage;
            else if (ancillary)
                expected[i] = i < c.offset + 8 ? kNullOrSameImage : kSameImage;
        }
    }
    int nulls = 0, same = 0;
    for (size_t i = 0; i < png.size(); ++i) {
        for (uint8_t mask : {0x01, 0x20, 0x80, 0xFF}) {
            Bytes corrupt = png;
            corrupt[i] ^= mask;
            BitmapPtr image = DecodeMemory(corrupt);
            if (image) {
                ++same;
                EXPECT_NE(expected[i], kNull) << "byte " << i << " ^ " << int(mask);
                EXPECT_TRUE(HasPixelsOf(image.get(), picture))
                    << "byte " << i << " ^ " << int(mask);
            } else {
                ++nulls;
                EXPECT_NE(expected[i], kSameImage) << "byte " << i << " ^ " << int(mask);
            }
        }
    }
    EXPECT_GT(nulls, 0);
    EXPECT_GT(same, 0);
}

// A one-pixel PNG whose header announces another size, CRC mended.
Bytes WithAnnouncedSize(uint32_t width, uint32_t height, int colorType = PNG_COLOR_TYPE_GRAY,
                        int bitDepth = 8)
{
    TestPicture picture = MakePicture(colorType, bitDepth, false, false);
    picture.width = picture.height = 1;
    picture.samples.resize(size_t(ChannelsOf(colorType)));
    Bytes png = WritePng(picture);
    for (int i = 0; i < 4; ++i) {
        png[size_t(16 + i)] = uint8_t(width >> (24 - 8 * i));
        png[size_t(20 + i)] = uint8_t(height >> (24 - 8 * i));
    }
    const uint32_t crc = uint32_t(crc32(crc32(0, nullptr, 0), &png[12], 17));
    for (int i = 0; i < 4; ++i) png[size_t(29 + i)] = uint8_t(crc >> (24 - 8 * i));
    return png;
}

// Zeros after the IEND chunk up to `size` bytes in all: never read, but part
// of the input's size.
Bytes PaddedTo(Bytes png, size_t size)
{
    if (png.size() < size) png.resize(size);
    return png;
}

TEST(PngDecode, AHugeAnnouncedImageIsRefusedBeforeAnyAllocation)
{
    const struct {
        uint32_t width, height;
        bool reachesTheBitmap;  // within the limits: 4 bytes a pixel fit 2 GiB
        size_t paddedTo;        // what its rows need (1032 bytes a byte) where the size fits
    } cases[] = {
        {(1u << 20) + 1, 1, false, 0},  {1, (1u << 20) + 1, false, 0}, {0x7FFFFFFFu, 1, false, 0},
        {1u << 20, 1u << 20, false, 0}, {32768, 16385, false, 0},      {32768, 16384, true, 520240},
        {1u << 20, 512, true, 520225},
    };
    for (const auto& c : cases) {
        const Bytes png = PaddedTo(WithAnnouncedSize(c.width, c.height), c.paddedTo);
        RefusingBitmap into;
        EXPECT_EQ(PIX_DecodePngMemory(png.data(), int(png.size()), &into), nullptr)
            << c.width << "x" << c.height;
        EXPECT_EQ(into.calls, c.reachesTheBitmap ? 1 : 0) << c.width << "x" << c.height;
        if (!c.reachesTheBitmap) {
            EXPECT_FALSE(DecodeMemory(png)) << c.width << "x" << c.height;
        }
    }
    // The CRC mending is right: the announced size of a small image decodes
    // as far as the image data, which then runs out.
    const Bytes small = WithAnnouncedSize(3, 2);
    RefusingBitmap into;
    PIX_DecodePngMemory(small.data(), int(small.size()), &into);
    EXPECT_EQ(into.askedWidth, 3);
    EXPECT_EQ(into.askedHeight, 2);
}

TEST(PngDecode, AHeaderAnnouncingMoreThanTheDataCanHoldFailsBeforeAllocating)
{
    // 2 GiB of packed colours over the data of one pixel.
    const Bytes png = WithAnnouncedSize(32768, 16384);
    ASSERT_LT(png.size(), 100u);
    PIX_MemBitmap into(1, 1, 4);
    const int64_t allocated = into.AllocatedBytes();
    EXPECT_EQ(PIX_DecodePngMemory(png.data(), int(png.size()), &into), nullptr);
    EXPECT_EQ(into.AllocatedBytes(), allocated);
    EXPECT_EQ(into.PixelWidth(), 1);
    EXPECT_FALSE(DecodeMemory(png));
}

TEST(PngDecode, TheInputMustHoldWhatTheRowsInflateTo)
{
    // Every row inflates to a filter byte and its packed samples, at most
    // 1032 bytes from one byte of input; `least` is the smallest input that
    // can hold them.
    const struct {
        const char* name;
        int colorType, bitDepth;
        uint32_t width, height;
        size_t least;
    } cases[] = {
        {"grey8, rows of 1031 + 1 bytes", PNG_COLOR_TYPE_GRAY, 8, 1031, 1500, 1500},
        {"grey1, 8241 pixels in 1031 bytes", PNG_COLOR_TYPE_GRAY, 1, 8241, 1500, 1500},
        {"rgba16, over 4 GiB of rows", PNG_COLOR_TYPE_RGB_ALPHA, 16, 32768, 16384, 4161806},
    };
    for (const auto& c : cases) {
        const Bytes png = WithAnnouncedSize(c.width, c.height, c.colorType, c.bitDepth);
        ASSERT_LT(png.size(), c.least - 1) << c.name;
        for (size_t size : {c.least - 1, c.least}) {
            const Bytes input = PaddedTo(png, size);
            RefusingBitmap into;
            EXPECT_EQ(PIX_DecodePngMemory(input.data(), int(input.size()), &into), nullptr)
                << c.name;
            EXPECT_EQ(into.calls, size == c.least ? 1 : 0) << c.name << ", " << size << " bytes";
        }
    }
}

TEST(PngDecode, APictureCompressedAsFarAsDeflateGoesStillDecodes)
{
    // Transparent black inflates from zeros alone: the closest a real file
    // comes to the limit.
    TestPicture picture;
    picture.width = picture.height = 2048;
    picture.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    picture.samples.assign(size_t(picture.width) * size_t(picture.height) * 4, 0);
    const Bytes png = WritePng(picture);
    const int64_t inflated = int64_t(picture.height) * (1 + 4 * picture.width);
    EXPECT_GT(inflated / int64_t(png.size()), 1000);
    BitmapPtr image = DecodeMemory(png);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->PixelWidth(), picture.width);
    ASSERT_EQ(image->PixelHeight(), picture.height);
    const PIX_PackedColor* pixels = image->PixelData();
    EXPECT_TRUE(std::all_of(pixels, pixels + size_t(image->RowStride()) * size_t(picture.height),
                            [](PIX_PackedColor p) { return p == 0; }));
}

TEST(PngMemoryReader, ZeroFillsAndCopiesWhatIsLeft)
{
    const uint8_t data[5] = {1, 2, 3, 4, 5};
    const struct {
        int bytesLeft;
        size_t request;
        int copied;
    } cases[] = {{5, 3, 3}, {5, 5, 5}, {5, 8, 5}, {2, 4, 2}, {0, 4, 0}, {-3, 4, 0}};
    for (const auto& c : cases) {
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        PIX_PngMemoryCursor cursor = {data, c.bytesLeft};
        png_set_read_fn(png, &cursor, PIX_PngMemoryReader);
        uint8_t out[8];
        std::memset(out, 0xAA, sizeof out);
        PIX_PngMemoryReader(png, out, c.request);
        for (size_t i = 0; i < c.request; ++i)
            EXPECT_EQ(out[i], int(i) < c.copied ? data[i] : 0) << i;
        for (size_t i = c.request; i < sizeof out; ++i) EXPECT_EQ(out[i], 0xAA) << i;
        EXPECT_EQ(cursor.next, data + c.copied);
        EXPECT_EQ(cursor.bytesLeft, c.copied ? c.bytesLeft - c.copied : c.bytesLeft);
        png_destroy_read_struct(&png, nullptr, nullptr);
    }
}

// Files under a fresh folder of the system's temporary folder; paths UTF-8.
class PngFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        mFolder = std::filesystem::temp_directory_path() /
                  std::filesystem::u8path(std::string("velvane_png_") + info->name());
        std::filesystem::remove_all(mFolder);
        std::filesystem::create_directories(mFolder);
    }
    void TearDown() override { std::filesystem::remove_all(mFolder); }

    std::string Write(const std::string& name, const Bytes& bytes)
    {
        const std::filesystem::path path = mFolder / std::filesystem::u8path(name);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
        return Path(name);
    }
    std::string Path(const std::string& name) const
    {
        return (mFolder / std::filesystem::u8path(name)).u8string();
    }

    std::filesystem::path mFolder;
};

TEST_F(PngFiles, DecodeFromAUtf8Path)
{
    const TestPicture picture = MakePicture(PNG_COLOR_TYPE_PALETTE, 4, true, true);
    const std::string path = Write("bild-\xC3\xA4\xE2\x82\xAC.png", WritePng(picture));
    BitmapPtr image(PIX_DecodePngFile(path.c_str(), nullptr));
    EXPECT_TRUE(HasPixelsOf(image.get(), picture));

    PIX_MemBitmap into(1, 1, 4);
    EXPECT_EQ(PIX_DecodePngFile(path.c_str(), &into), &into);
    EXPECT_TRUE(HasPixelsOf(&into, picture));
}

TEST_F(PngFiles, MissingShortAndForeignFilesGiveNull)
{
    const Bytes png = WritePng(MakePicture(PNG_COLOR_TYPE_RGB, 8, false, false));
    const std::string cases[] = {
        Path("missing.png"),
        Write("empty.png", {}),
        Write("signature.png", Bytes(png.begin(), png.begin() + 8)),
        Write("truncated.png", Bytes(png.begin(), png.end() - 20)),
        Write("text.png", Bytes(40, 'x')),
        mFolder.u8string(),
        "",
    };
    for (const std::string& path : cases) {
        EXPECT_EQ(PIX_DecodePngFile(path.c_str(), nullptr), nullptr) << path;
        PIX_MemBitmap into(2, 2, 4);
        EXPECT_EQ(PIX_DecodePngFile(path.c_str(), &into), nullptr) << path;
    }
    EXPECT_EQ(PIX_DecodePngFile(nullptr, nullptr), nullptr);
}

TEST_F(PngFiles, AHeaderAnnouncingMoreThanTheFileHoldsFailsBeforeAllocating)
{
    const Bytes png = WithAnnouncedSize(32768, 16384);
    const std::string path = Write("huge.png", png);
    PIX_MemBitmap into(1, 1, 4);
    const int64_t allocated = into.AllocatedBytes();
    EXPECT_EQ(PIX_DecodePngFile(path.c_str(), &into), nullptr);
    EXPECT_EQ(PIX_LoadImageThroughHandlers(path.c_str(), &into, true), nullptr);
    EXPECT_EQ(into.AllocatedBytes(), allocated);
    EXPECT_EQ(into.PixelWidth(), 1);
    EXPECT_EQ(PIX_DecodePngFile(path.c_str(), nullptr), nullptr);

    // The file's own size is the bound: padded to what the rows need, the
    // header reaches the destination.
    const std::string padded = Write("padded.png", PaddedTo(png, 520240));
    RefusingBitmap refusing;
    EXPECT_EQ(PIX_DecodePngFile(padded.c_str(), &refusing), nullptr);
    EXPECT_EQ(refusing.calls, 1);
}

// The strings of a filter list, up to its closing empty string.
std::vector<std::string> FilterStrings(const char* list)
{
    std::vector<std::string> strings;
    for (const char* s = list; *s; s += std::strlen(s) + 1) strings.push_back(s);
    return strings;
}

using Strings = std::vector<std::string>;

TEST(ImageRegistry, HoldsThePngHandlerAlone)
{
    ASSERT_NE(PIX_ImageHandlerList, nullptr);
    EXPECT_EQ(PIX_ImageHandlerList->next, nullptr);
    ASSERT_NE(PIX_ImageHandlerList->filterText, nullptr);
    const char* text = PIX_ImageHandlerList->filterText();
    EXPECT_EQ(FilterStrings(text), (Strings{"PNG files (*.PNG)", "*.PNG"}));
    EXPECT_EQ(std::memcmp(text, "PNG files (*.PNG)\0*.PNG\0", 25), 0);
}

TEST_F(PngFiles, TheHandlerChecksTheExtensionBeforeOpening)
{
    // Every file holds a valid PNG, so a null result with checking means the
    // name was refused.
    const TestPicture picture = MakePicture(PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false);
    const Bytes png = WritePng(picture);
    const struct {
        const char* name;
        bool accepted;
    } cases[] = {
        {"a.png", true},   {"A.PNG", true},    {"b.PnG", true},        {"c.png.bak", false},
        {"png", false},    {"d.png/e", false}, {"f.png/g.dat", false}, {"h", false},
        {"i.pngx", false}, {"j.pn", false},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.name, png);
        BitmapPtr checked(PIX_ImageHandlerList->load(path.c_str(), true, nullptr));
        EXPECT_EQ(bool(checked), c.accepted) << c.name;
        BitmapPtr unchecked(PIX_ImageHandlerList->load(path.c_str(), false, nullptr));
        EXPECT_TRUE(HasPixelsOf(unchecked.get(), picture)) << c.name;
    }
    EXPECT_EQ(PIX_ImageHandlerList->load("", true, nullptr), nullptr);
    EXPECT_EQ(PIX_ImageHandlerList->load(nullptr, true, nullptr), nullptr);
    EXPECT_EQ(PIX_ImageHandlerList->load(nullptr, false, nullptr), nullptr);
}

TEST_F(PngFiles, LoadingThroughTheHandlersRetriesWithoutTheCheck)
{
    const TestPicture picture = MakePicture(PNG_COLOR_TYPE_RGB, 16, false, false);
    const std::string dat = Write("picture.dat", WritePng(picture));
    const std::string png = Write("picture.png", WritePng(picture));
    EXPECT_EQ(PIX_LoadImageThroughHandlers(dat.c_str(), nullptr, false), nullptr);
    BitmapPtr retried(PIX_LoadImageThroughHandlers(dat.c_str(), nullptr, true));
    EXPECT_TRUE(HasPixelsOf(retried.get(), picture));
    BitmapPtr direct(PIX_LoadImageThroughHandlers(png.c_str(), nullptr, false));
    EXPECT_TRUE(HasPixelsOf(direct.get(), picture));
    PIX_MemBitmap into(3, 3, 4);
    EXPECT_EQ(PIX_LoadImageThroughHandlers(png.c_str(), &into, false), &into);
    EXPECT_EQ(PIX_LoadImageThroughHandlers(Path("none.png").c_str(), nullptr, true), nullptr);
}

TEST(ImageRegistry, KnowsExtensionsFromTheFirstPatternString)
{
    const struct {
        const char* path;
        bool known;
    } cases[] = {
        {"a.png", true},     {"a.PNG", true},   {".png", true},    {"x/y.b.Png", true},
        {"x\\y.png", true},  {"a.pn", false},   {"a.pngx", false}, {"a.png;", false},
        {"a.", false},       {"a", false},      {"", false},       {"d.png/e", false},
        {"d.png\\e", false}, {"d.png/", false}, {"a.jpg", false},
    };
    for (const auto& c : cases) EXPECT_EQ(PIX_HandlerKnowsExtension(c.path), c.known) << c.path;
    EXPECT_FALSE(PIX_HandlerKnowsExtension(nullptr));
}

Strings FilterOf(bool allSupported, bool allFiles)
{
    char* text = PIX_BuildImageFilter(allSupported, allFiles);
    if (!text) return {"(null)"};
    Strings strings = FilterStrings(text);
    std::free(text);
    return strings;
}

TEST(ImageRegistry, FilterTextsWithThePngHandler)
{
    EXPECT_EQ(FilterOf(true, true), (Strings{"All supported images", "*.PNG", "PNG files (*.PNG)",
                                             "*.PNG", "All files (*.*)", "*.*"}));
    EXPECT_EQ(FilterOf(true, false),
              (Strings{"All supported images", "*.PNG", "PNG files (*.PNG)", "*.PNG"}));
    EXPECT_EQ(FilterOf(false, true),
              (Strings{"PNG files (*.PNG)", "*.PNG", "All files (*.*)", "*.*"}));
    EXPECT_EQ(FilterOf(false, false), (Strings{"PNG files (*.PNG)", "*.PNG"}));
}

// Installs a handler list of its own for one test.
class OwnHandlerList : public ::testing::Test {
protected:
    void SetUp() override { mSaved = PIX_ImageHandlerList; }
    void TearDown() override { PIX_ImageHandlerList = mSaved; }
    void Install(std::vector<PIX_ImageHandler>& handlers)
    {
        for (size_t i = 0; i < handlers.size(); ++i)
            handlers[i].next = i + 1 < handlers.size() ? &handlers[i + 1] : nullptr;
        PIX_ImageHandlerList = handlers.empty() ? nullptr : &handlers[0];
    }
    PIX_ImageHandler* mSaved = nullptr;
};

const char* TwoPairs()
{
    return "Alpha (*.a;*.aa)\0*.a;*.aa\0Beta\0*.b\0";
}
const char* NoText()
{
    return nullptr;
}
const char* EmptyText()
{
    return "";
}
const char* DescriptionOnly()
{
    return "Gamma\0";
}
const char* LongText()
{
    static const std::string text = std::string(5000, 'L') + '\0' + "*.long" + '\0';
    return text.c_str();
}
PIX_IBitmap* LoadNothing(const char*, bool, PIX_IBitmap*)
{
    return nullptr;
}

TEST_F(OwnHandlerList, FilterTextsJoinAllPatternsAndSkipEmptyTexts)
{
    std::vector<PIX_ImageHandler> handlers = {
        {LoadNothing, TwoPairs, nullptr},  {LoadNothing, NoText, nullptr},
        {LoadNothing, EmptyText, nullptr}, {LoadNothing, DescriptionOnly, nullptr},
        {nullptr, nullptr, nullptr},
    };
    Install(handlers);
    EXPECT_EQ(FilterOf(true, true),
              (Strings{"All supported images", "*.a;*.aa;*.b", "Alpha (*.a;*.aa)", "*.a;*.aa",
                       "Beta", "*.b", "Gamma", "All files (*.*)", "*.*"}));
    EXPECT_TRUE(PIX_HandlerKnowsExtension("x.aa"));
    EXPECT_TRUE(PIX_HandlerKnowsExtension("x.A"));
    EXPECT_FALSE(PIX_HandlerKnowsExtension("x.b"));  // only the first pattern string counts
    EXPECT_EQ(PIX_LoadImageThroughHandlers("x.a", nullptr, true), nullptr);
}

TEST_F(OwnHandlerList, WithoutPatternsTheAllSupportedEntryIsDropped)
{
    std::vector<PIX_ImageHandler> none;
    Install(none);
    char* text = PIX_BuildImageFilter(false, false);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(text[1], 0);
    std::free(text);
    EXPECT_EQ(FilterOf(true, false), Strings{});
    EXPECT_EQ(FilterOf(true, true), (Strings{"All files (*.*)", "*.*"}));

    std::vector<PIX_ImageHandler> textless = {{LoadNothing, NoText, nullptr},
                                              {LoadNothing, EmptyText, nullptr}};
    Install(textless);
    text = PIX_BuildImageFilter(true, false);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::memcmp(text, "\0\0", 2), 0);
    std::free(text);
    EXPECT_FALSE(PIX_HandlerKnowsExtension("x.png"));
    EXPECT_EQ(PIX_LoadImageThroughHandlers("x.png", nullptr, true), nullptr);
}

TEST_F(OwnHandlerList, TheFilterTextGrowsPastItsFirstBlock)
{
    std::vector<PIX_ImageHandler> handlers = {{LoadNothing, LongText, nullptr},
                                              {LoadNothing, TwoPairs, nullptr}};
    Install(handlers);
    const Strings strings = FilterOf(true, true);
    ASSERT_EQ(strings.size(), 10u);
    EXPECT_EQ(strings[1], "*.long;*.a;*.aa;*.b");
    EXPECT_EQ(strings[2], std::string(5000, 'L'));
    EXPECT_EQ(strings[9], "*.*");
}

TEST(ImageRegistry, AppendingGrowsTheTextBy4096BytesBeyondTheNeed)
{
    int capacity = 8, used = 0;
    char* text = static_cast<char*>(std::malloc(size_t(capacity)));
    EXPECT_FALSE(PIX_AppendFilterText(&text, &capacity, &used, "abcdef", 6));
    EXPECT_EQ(capacity, 8);
    EXPECT_FALSE(PIX_AppendFilterText(&text, &capacity, &used, "", 0));
    EXPECT_FALSE(PIX_AppendFilterText(&text, &capacity, &used, "ghi", 3));
    EXPECT_EQ(capacity, 9 + 4096);
    EXPECT_EQ(used, 9);
    EXPECT_EQ(std::memcmp(text, "abcdefghi", 9), 0);
    EXPECT_TRUE(PIX_AppendFilterText(&text, &capacity, &used, "x", -1));
    EXPECT_TRUE(PIX_AppendFilterText(&text, &capacity, &used, nullptr, 1));
    EXPECT_EQ(used, 9);
    std::free(text);
}

}  // namespace
