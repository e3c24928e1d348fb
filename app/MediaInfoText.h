#pragma once
// The parts of the probe's information text that the media information
// window shows, cut out by their labels. The labels and the line order of
// that text are the contract between the probe and this window.
#include <string>

namespace velmora {

// From "Video:" (or "Audio:") up to, not including, the first
// ", StartTime:" after it; empty when the label is missing or no start time
// follows it.
std::string StreamDescription(const std::string &text, const std::string &kindLabel);
// After "File Size:" up to the first "StartTime:": the blank, the size and
// the line break; empty without a size line.
std::string SizeText(const std::string &text);
// After "Duration:" without the milliseconds: " 00:05:30" of
// "Duration: 00:05:30.120".
std::string DurationText(const std::string &text);
// The rest of the "Bit Rate:" line, up to its line break: " 1150 Kbps" or
// " N/A"; empty when the text holds no stream line.
std::string BitRateText(const std::string &text);

}  // namespace velmora
