#pragma once
// A 24-bit picture: rows of blue, green, red bytes, top row first. The
// windows show it as an image; hooks and previews hand it around.
#include <cstdint>
#include <vector>

namespace velmora {

struct TBitmap {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;  // Height rows of Stride() bytes

  int Stride() const { return Width * 3; }
  void SetSize(int width, int height) {
    Width = width;
    Height = height;
    Pixels.assign(static_cast<std::size_t>(Stride()) * height, 0);
  }
  std::uint8_t *Row(int y) { return Pixels.data() + static_cast<std::size_t>(y) * Stride(); }
  const std::uint8_t *Row(int y) const {
    return Pixels.data() + static_cast<std::size_t>(y) * Stride();
  }
};

}  // namespace velmora
