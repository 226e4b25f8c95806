// Small PNG files built in memory, for decoding tests that need formats the skin does not ship.
#pragma once

#include <cstdint>
#include <vector>

// A PNG file of the given header values; rows are the raw scanlines without filter bytes.
// palette holds RGB triples (colour type 3), transparency the tRNS bytes (none when empty).
std::vector<uint8_t> MakePng(int width, int height, int bitDepth, int colorType,
                             const std::vector<std::vector<uint8_t>>& rows, const std::vector<uint8_t>& palette = {},
                             const std::vector<uint8_t>& transparency = {});
