#pragma once
// How the window's output settings become the option records of the
// intermediate and final encodes, each field only under its condition.
#include <string>

#include "converter/OptionRecords.h"

namespace velmora {

struct TOutputSettings;

// The whole number a setting holds, or -1 (not set) when it holds none.
int SettingNumber(const std::string &text);

// Every output setting into a record: what an added file's intermediate
// record takes over, and what the final record is filled from.
void CopyOutputSettings(const TOutputSettings &settings, TOutputOptions &record);

// Only the quality fields (channels, sample rate, frame size, frame rate,
// aspect, video and audio bit rate), each only when the window sets it.
void RefreshQualityFields(const TOutputSettings &settings, TOutputOptions &record);

// A disc target keeps what it fixes itself: the VCD its video bit rate,
// every disc its audio sample rate (DVD 48 000 Hz).
void KeepDiscTargetValues(TOutputOptions &record);

}  // namespace velmora
