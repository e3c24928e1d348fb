#pragma once
// The engine's option table: one row per option name it knows, read by the
// dispatcher (SetOption) and by the command-line check (OptionTakesValue).
// A row says what the option is (ignored, refused, a plain field of the
// option state, or an option with its own handler), whether it takes a value,
// and what it writes.
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/CustomFFmpeg.h"

namespace velmora {

// Plain options: the value goes straight into one field of the option state.
struct FlagField {  // true unless the value is exactly "0"; written alone
  bool TOptionState::*field;
};
struct SetField {  // true whatever the value; written alone
  bool TOptionState::*field;
};
struct IntField {
  int TOptionState::*field;
};
struct Int64Field {
  std::int64_t TOptionState::*field;
};
struct SingleField {
  float TOptionState::*field;
};
struct TextField {
  std::string TOptionState::*field;
};
struct OptionalTextField {  // replaces any earlier text
  std::optional<std::string> TOptionState::*field;
};
using PlainField = std::variant<std::monostate, FlagField, SetField, IntField, Int64Field,
                                SingleField, TextField, OptionalTextField>;

// What a handler that serves several names needs of its row.
struct BandOption {  // crop and pad bands
  const char *side;  // for the messages
  int TOptionState::*band;
  bool vertical;  // top and bottom bands take away from the height
};
struct CodecOption {  // -vcodec, -acodec, -scodec: the name, or "copy"
  std::optional<std::string> TOptionState::*codecName;
  bool TOptionState::*streamCopy;
};
struct TagOption {  // -vtag, -atag
  std::uint32_t TOptionState::*tag;
  const char *lengthError;
};
struct FilterChainOption {  // -vbsf, -absf, -sbsf: the chain each appends to
  std::vector<BitstreamFilterEntry> TOptionState::*chain;
};
struct MatrixOption {  // -intra_matrix, -inter_matrix
  std::optional<QuantMatrix> TOptionState::*matrix;
};
struct NewStreamOption {  // -newvideo, -newaudio, -newsubtitle
  void (TCustomFFmpeg::*add)(AVFormatContext *);
};
struct MediaOption {  // -b, -vb, -ab: the codec template the bit rate is read back from
  AVMediaType type;
};
using OptionDetail = std::variant<std::monostate, IntField, BandOption, CodecOption, TagOption,
                                  FilterChainOption, MatrixOption, NewStreamOption, MediaOption>;

enum class TOptionKind { Ignored, Refused, Field, Handler };

struct TCustomFFmpeg::TOptionRow {
  std::string_view name;
  TOptionKind kind;
  bool takesValue;
  PlainField field;        // Field rows
  TOptionHandler handler;  // Handler rows
  OptionDetail detail;     // Handler rows whose handler serves several names
};

}  // namespace velmora
