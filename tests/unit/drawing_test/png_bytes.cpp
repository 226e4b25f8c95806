#include "png_bytes.h"

#include <algorithm>

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0xFFFFFFFFu) {
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  PutBigEndian(out, uint32_t(body.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutBigEndian(out, Crc32(out.data() + start, out.size() - start) ^ 0xFFFFFFFFu);
}

// A zlib stream of stored (uncompressed) blocks.
std::vector<uint8_t> ZlibStored(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out = {0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(data.size() - pos, 65535);
    out.push_back(pos + n == data.size() ? 1 : 0);
    out.push_back(uint8_t(n));
    out.push_back(uint8_t(n >> 8));
    out.push_back(uint8_t(~n));
    out.push_back(uint8_t(~n >> 8));
    out.insert(out.end(), data.begin() + pos, data.begin() + pos + n);
    pos += n;
  } while (pos < data.size());
  uint32_t a = 1, b = 0;
  for (uint8_t c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

}  // namespace

std::vector<uint8_t> MakePng(int width, int height, int bitDepth, int colorType,
                             const std::vector<std::vector<uint8_t>>& rows, const std::vector<uint8_t>& palette,
                             const std::vector<uint8_t>& transparency) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian(header, uint32_t(width));
  PutBigEndian(header, uint32_t(height));
  header.insert(header.end(), {uint8_t(bitDepth), uint8_t(colorType), 0, 0, 0});
  Chunk(out, "IHDR", header);
  if (!palette.empty()) Chunk(out, "PLTE", palette);
  if (!transparency.empty()) Chunk(out, "tRNS", transparency);
  std::vector<uint8_t> raw;
  for (const auto& row : rows) {
    raw.push_back(0);  // filter: none
    raw.insert(raw.end(), row.begin(), row.end());
  }
  Chunk(out, "IDAT", ZlibStored(raw));
  Chunk(out, "IEND", {});
  return out;
}
