#pragma once
// The engine's records: the opened input and output files (kept from their
// opening until the engine is cleared) and the per-run tables that Transcode
// builds from them (input files, input streams, output streams).
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/OptionState.h"
#include "libav/LibraryPtr.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

struct StdioFileDeleter {
  void operator()(std::FILE *file) const {
    if (file) std::fclose(file);
  }
};
using StdioFilePtr = std::unique_ptr<std::FILE, StdioFileDeleter>;

// One opened input file.
struct InputEntry {
  // One stream of the file as it was when the file was opened.
  struct Stream {
    // The stream's decoder context, filled from the stream parameters; it
    // is opened at set-up when the stream needs decoding.
    CodecContextPtr decoder;
    // The decoder named by -vcodec / -acodec / -scodec when the file was
    // opened, or none.
    const AVCodec *forcedDecoder = nullptr;
  };

  InputContextPtr context;
  std::string fileName;    // as the caller gave it
  std::string url;         // as handed to the library
  std::int64_t tsOffset = 0;  // microseconds, added to every packet timestamp
  std::array<double, kMaxStreamsPerInput> tsScale{};  // 0: no scaling
  std::vector<Stream> streams;
  int durationMs = -1;  // -1 when the file does not report one
};

// One stream of an output file: what the muxer needs beside the library's
// stream object, which no longer carries a codec context of its own.
struct OutputStreamConfig {
  AVStream *stream = nullptr;
  // The encoding parameters (and, once opened, the encoder) of the stream;
  // for stream copy only a holder of the options given for it.
  CodecContextPtr codec;
  const AVCodec *forcedEncoder = nullptr;
  bool streamCopy = false;
  std::vector<BitstreamFilterEntry> bitstreamFilters;
  BitstreamFilterPtr filterChain;  // made at set-up from bitstreamFilters
  std::string filterNames;         // "name1,name2" for messages
  // End (pts + duration) of the latest packet handed to the muxer, in the
  // stream's time base; the stream's output clock.
  std::int64_t endPts = AV_NOPTS_VALUE;
  std::int64_t lastDts = AV_NOPTS_VALUE;  // of the latest packet handed to the muxer
};

// One opened output file.
struct OutputEntry {
  FormatContextPtr context;
  std::string fileName;  // as the caller gave it
  std::string url;
  std::vector<std::unique_ptr<OutputStreamConfig>> streams;  // by stream index
  DictionaryPtr muxerOptions;  // private muxer options, given with the header
  bool fileOpened = false;     // this engine opened (created) the file
  bool headerWritten = false;
  std::int64_t packetsWritten = 0;  // packets handed to the muxer by the current run
  bool ptsOptional = false;    // the container takes packets without a pts
};

struct OutputStreamRecord;

// Per-run record of one input file.
struct InputFileRecord {
  bool endOfFile = false;
  int firstStream = 0;
  int streamCount = 0;
};

// Per-run record of one input stream.
struct InputStreamRecord {
  int fileIndex = 0;
  int streamIndex = 0;
  AVStream *stream = nullptr;
  AVCodecContext *decoder = nullptr;  // the context of the input entry
  const AVCodec *forcedDecoder = nullptr;
  bool unmapped = true;
  bool decodingNeeded = false;
  bool decoderOpened = false;
  std::int64_t start = 0;  // wall clock at set-up with -re
  std::int64_t nextPts = AV_NOPTS_VALUE;  // microseconds
  std::int64_t pts = 0;                   // microseconds
  bool isStart = true;
  bool flushed = false;
  float quality = 0;  // quality of the last decoded picture
  // The output streams fed by this stream, in record order.
  std::vector<OutputStreamRecord *> outputs;
};

// Per-run record of one output stream (in join mode: of one segment).
struct OutputStreamRecord {
  int fileIndex = 0;    // output-list entry (in join mode: the segment)
  int streamIndex = 0;  // stream within that output
  int sourceIndex = 0;  // index of the input stream record that feeds it
  OutputEntry *file = nullptr;
  OutputStreamConfig *config = nullptr;
  AVStream *stream = nullptr;
  bool encodingNeeded = false;
  int frameNumber = 0;
  InputStreamRecord *sync = nullptr;
  std::int64_t syncPts = 0;  // frames (video) or samples (audio) written
  float quality = -1;        // quality of the last encoded picture

  // Video re-encoding.
  // The input picture size and format the stream was set up for; decoded
  // pictures that differ are scaled to them first.
  int inputWidth = 0;
  int inputHeight = 0;
  int inputFormat = -1;
  ScalerContextPtr conformScaler;
  FramePtr conformedFrame;
  bool videoResample = false;
  FramePtr pictureBuffer;
  ScalerContextPtr scaler;
  int resampleHeight = 0;
  bool videoCrop = false;
  int topBand = 0;
  int leftBand = 0;
  bool videoPad = false;
  int padTop = 0;
  int padBottom = 0;
  int padLeft = 0;
  int padRight = 0;
  FramePtr encodeFrame;  // reference handed to the encoder
  FramePtr cropFrame;    // cropped view of the decoded picture
  // The -vfilters graph of the stream, its "buffer" source and its sink.
  FilterGraphPtr filterGraph;
  AVFilterContext *filterSource = nullptr;
  AVFilterContext *filterSink = nullptr;
  FramePtr filteredFrame;
  int lastPictType = 0;           // picture type of the latest packet
  std::uint64_t lastError = 0;    // its plane-0 error (with -psnr)

  // Audio re-encoding.
  bool audioResample = false;
  ResamplerPtr resampler;
  AudioFifoPtr fifo;
  // The input parameters the resampler was made for; a change of any of
  // them in the middle of an input makes it anew.
  int resamplerRate = 0;
  int resamplerFormat = -1;
  AVChannelLayout resamplerLayout{};
  FramePtr audioFrame;      // one encoder frame read from the FIFO
  FramePtr convertedAudio;  // resampler output, grown as needed
  FramePtr silence;         // silence inserted by -async, grown as needed

  StdioFilePtr twoPassLog;
};

}  // namespace velmora
