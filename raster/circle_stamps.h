#pragma once

// The constant outlines of the six smallest circles: coverage squares of
// radius x 2 + 1 pixels (rounded down), an antialiased and an aliased form
// for each radius, rows from the top.

#include <array>
#include <cstdint>

#include "raster/coverage.h"

// clang-format off
inline constexpr uint8_t PIX_CircleStamp15Smooth[] = {
     79, 255, 255,  79,
    255,  15,  15, 255,
    255,  15,  15, 255,
     79, 255, 255,  79};
inline constexpr uint8_t PIX_CircleStamp15Aliased[] = {
      0, 255, 255,   0,
    255,   0,   0, 255,
    255,   0,   0, 255,
      0, 255, 255,   0};

inline constexpr uint8_t PIX_CircleStamp20Smooth[] = {
     15, 191, 255, 191,  15,
    191, 209,  79, 209, 191,
    255,  79,   0,  79, 255,
    191, 209,  79, 209, 191,
     15, 191, 255, 191,  15};
inline constexpr uint8_t PIX_CircleStamp20Aliased[] = {
      0,   0, 255,   0,   0,
      0, 255,   0, 255,   0,
    255,   0,   0,   0, 255,
      0, 255,   0, 255,   0,
      0,   0, 255,   0,   0};

inline constexpr uint8_t PIX_CircleStamp25Smooth[] = {
     15, 191, 255, 255, 191,  15,
    191, 209,  79,  79, 209, 191,
    255,  79,   0,   0,  79, 255,
    255,  79,   0,   0,  79, 255,
    191, 209,  79,  79, 209, 191,
     15, 191, 255, 255, 191,  15};
inline constexpr uint8_t PIX_CircleStamp25Aliased[] = {
      0,   0, 255, 255,   0,   0,
      0, 255,   0,   0, 255,   0,
    255,   0,   0,   0,   0, 255,
    255,   0,   0,   0,   0, 255,
      0, 255,   0,   0, 255,   0,
      0,   0, 255, 255,   0,   0};

inline constexpr uint8_t PIX_CircleStamp30Smooth[] = {
      0, 143, 255, 255, 255, 143,   0,
    143, 255,  97,  64,  97, 255, 143,
    255, 112,   0,   0,   0, 112, 255,
    255,  48,   0,   0,   0,  48, 255,
    255, 112,   0,   0,   0, 112, 255,
    143, 255,  97,  64,  97, 255, 143,
      0, 143, 255, 255, 255, 143,   0};
inline constexpr uint8_t PIX_CircleStamp30Aliased[] = {
      0,   0, 255, 255, 255,   0,   0,
      0, 255,   0,   0,   0, 255,   0,
    255,   0,   0,   0,   0,   0, 255,
    255,   0,   0,   0,   0,   0, 255,
    255,   0,   0,   0,   0,   0, 255,
      0, 255,   0,   0,   0, 255,   0,
      0,   0, 255, 255, 255,   0,   0};

inline constexpr uint8_t PIX_CircleStamp35Smooth[] = {
      0,  79, 222, 255, 255, 222,  79,   0,
     79, 255, 176,  64,  64, 176, 255,  79,
    222, 176,   0,   0,   0,   0, 176, 222,
    255,  64,   0,   0,   0,   0,  64, 255,
    255,  64,   0,   0,   0,   0,  64, 255,
    222, 176,   0,   0,   0,   0, 176, 222,
     79, 255, 176,  64,  64, 176, 255,  79,
      0,  79, 222, 255, 255, 222,  79,   0};
inline constexpr uint8_t PIX_CircleStamp35Aliased[] = {
      0,   0, 255, 255, 255, 255,   0,   0,
      0, 255, 255,   0,   0, 255, 255,   0,
    255, 255,   0,   0,   0,   0, 255, 255,
    255,   0,   0,   0,   0,   0,   0, 255,
    255,   0,   0,   0,   0,   0,   0, 255,
    255, 255,   0,   0,   0,   0, 255, 255,
      0, 255, 255,   0,   0, 255, 255,   0,
      0,   0, 255, 255, 255, 255,   0,   0};

inline constexpr uint8_t PIX_CircleStamp40Smooth[] = {
      0,  31, 176, 255, 255, 255, 176,  31,   0,
     31, 240, 209,  79,  64,  79, 209, 240,  31,
    176, 209,  15,   0,   0,   0,  15, 209, 176,
    255,  79,   0,   0,   0,   0,   0,  79, 255,
    255,  48,   0,   0,   0,   0,   0,  48, 255,
    255,  79,   0,   0,   0,   0,   0,  79, 255,
    176, 209,  15,   0,   0,   0,  15, 209, 176,
     31, 240, 209,  79,  64,  79, 209, 240,  31,
      0,  31, 176, 255, 255, 255, 176,  31,   0};
inline constexpr uint8_t PIX_CircleStamp40Aliased[] = {
      0,   0, 255, 255, 255, 255, 255,   0,   0,
      0, 255, 255,   0,   0,   0, 255, 255,   0,
    255, 255,   0,   0,   0,   0,   0, 255, 255,
    255,   0,   0,   0,   0,   0,   0,   0, 255,
    255,   0,   0,   0,   0,   0,   0,   0, 255,
    255,   0,   0,   0,   0,   0,   0,   0, 255,
    255, 255,   0,   0,   0,   0,   0, 255, 255,
      0, 255, 255,   0,   0,   0, 255, 255,   0,
      0,   0, 255, 255, 255, 255, 255,   0,   0};
// clang-format on

// One radius and its two stamps.
struct PIX_SmallCircleStamp {
    float radius;
    PIX_CoverageMap smooth;
    PIX_CoverageMap aliased;
};

inline constexpr std::array<PIX_SmallCircleStamp, 6> PIX_SmallCircleStamps = {{
    {1.5f, {PIX_CircleStamp15Smooth, 4, 4, 4}, {PIX_CircleStamp15Aliased, 4, 4, 4}},
    {2.0f, {PIX_CircleStamp20Smooth, 5, 5, 5}, {PIX_CircleStamp20Aliased, 5, 5, 5}},
    {2.5f, {PIX_CircleStamp25Smooth, 6, 6, 6}, {PIX_CircleStamp25Aliased, 6, 6, 6}},
    {3.0f, {PIX_CircleStamp30Smooth, 7, 7, 7}, {PIX_CircleStamp30Aliased, 7, 7, 7}},
    {3.5f, {PIX_CircleStamp35Smooth, 8, 8, 8}, {PIX_CircleStamp35Aliased, 8, 8, 8}},
    {4.0f, {PIX_CircleStamp40Smooth, 9, 9, 9}, {PIX_CircleStamp40Aliased, 9, 9, 9}},
}};
