#include "app/MediaInfoText.h"

namespace velmora {

namespace {

// Positions count from 1; 0 means "not found".
std::size_t Pos(const std::string &label, const std::string &text) {
  const std::size_t at = text.find(label);
  return at == std::string::npos ? 0 : at + 1;
}

// `count` characters from position `start` (from 1): a start below 1 means
// 1, a start past the end or a negative count gives nothing, and a count past
// the end stops there.
std::string Copy(const std::string &text, long long start, long long count) {
  if (start < 1) start = 1;
  const auto length = static_cast<long long>(text.size());
  if (start > length || count <= 0) return {};
  return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

long long At(const std::string &label, const std::string &text) {
  return static_cast<long long>(Pos(label, text));
}

}  // namespace

std::string StreamDescription(const std::string &text, const std::string &kindLabel) {
  const long long v = At(kindLabel, text);
  if (v == 0) return {};
  const std::string rest = Copy(text, v, static_cast<long long>(text.size()) - v);
  return Copy(rest, 1, At(", StartTime:", rest) - 1);
}

std::string SizeText(const std::string &text) {
  const long long f = At("File Size:", text);
  if (f == 0) return {};
  return Copy(text, f + 10, At("StartTime:", text) - f - 10);
}

std::string DurationText(const std::string &text) {
  const long long d = At("Duration:", text);
  return Copy(text, d + 9, At("Bit Rate:", text) - d - 15);
}

std::string BitRateText(const std::string &text) {
  const long long r = At("Bit Rate:", text);
  const std::string rate = Copy(text, r + 9, At("Stream #0", text) - r - 9);
  return rate.substr(0, rate.find_first_of("\r\n"));
}

}  // namespace velmora
