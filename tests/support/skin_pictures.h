// The skin pictures the forms load: id, size and the PNG colour format each is stored in.
#pragma once

#include "platform/win.h"

enum SkinPictureFormat { SKIN_RGB = 2, SKIN_PALETTE = 3, SKIN_RGBA = 6 };  // PNG colour types

struct SkinPicture {
  UINT id;
  int width;
  int height;
  SkinPictureFormat format;
};

// clang-format off
inline constexpr SkinPicture kSkinPictures[] = {
    {170, 1024, 700, SKIN_RGBA}, {183, 29, 30, SKIN_RGB},     {184, 27, 27, SKIN_RGB},     {185, 27, 27, SKIN_RGB},
    {186, 27, 27, SKIN_RGB},     {187, 27, 27, SKIN_RGB},     {188, 29, 29, SKIN_PALETTE}, {189, 29, 29, SKIN_PALETTE},
    {190, 100, 29, SKIN_RGB},    {191, 100, 29, SKIN_RGB},    {192, 23, 23, SKIN_PALETTE}, {193, 23, 23, SKIN_PALETTE},
    {194, 100, 29, SKIN_RGB},    {195, 100, 29, SKIN_RGB},    {196, 134, 48, SKIN_RGB},    {197, 134, 48, SKIN_RGB},
    {198, 100, 29, SKIN_RGB},    {199, 100, 29, SKIN_RGB},    {200, 100, 29, SKIN_RGB},    {201, 100, 29, SKIN_RGB},
    {202, 38, 18, SKIN_RGB},     {203, 38, 18, SKIN_RGB},     {204, 25, 25, SKIN_RGB},     {205, 27, 27, SKIN_RGB},
    {206, 27, 27, SKIN_RGB},     {207, 28, 27, SKIN_RGB},     {208, 28, 27, SKIN_RGB},     {209, 27, 27, SKIN_RGB},
    {210, 27, 27, SKIN_RGB},     {211, 38, 18, SKIN_RGB},     {212, 38, 18, SKIN_RGB},     {213, 59, 18, SKIN_RGB},
    {214, 59, 18, SKIN_RGB},     {215, 38, 18, SKIN_RGB},     {216, 38, 18, SKIN_RGB},     {217, 38, 18, SKIN_RGB},
    {218, 38, 18, SKIN_RGB},     {219, 1500, 27, SKIN_RGB},   {221, 1500, 27, SKIN_RGB},   {222, 3, 359, SKIN_RGB},
    {223, 469, 4, SKIN_RGB},     {224, 27, 27, SKIN_RGB},     {225, 27, 27, SKIN_RGB},     {226, 134, 48, SKIN_RGB},
    {227, 134, 48, SKIN_RGB},    {228, 440, 4, SKIN_RGBA},    {229, 30, 30, SKIN_RGBA},    {230, 30, 30, SKIN_RGB},
    {231, 30, 30, SKIN_RGB},
};
// clang-format on
