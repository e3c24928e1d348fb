#include "media/MergedFileCheck.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <mutex>
#include <numeric>

#include "libav/FFmpegLoader.h"
#include "libav/LibraryPtr.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

namespace {

constexpr std::int64_t kSecond = 1000000;
constexpr std::int64_t kMinimumFrame = 50000;  // 50 ms
// How far before its end the tail of the file is read, first and at most.
constexpr std::int64_t kTailFirst = 5 * kSecond;
constexpr std::int64_t kTailLongest = 60 * kSecond;
// Packets read at the start before a stream counts as not decodable there.
constexpr int kStartPackets = 5000;

// One stream the check follows: its decoder and what decoding it gave.
struct Track {
  int index = -1;
  AVRational timeBase{1, 1};
  CodecContextPtr decoder;
  std::int64_t frameUs = 0;  // one frame's length
  std::int64_t firstUs = LLONG_MAX;
  std::int64_t lastEndUs = LLONG_MIN;
  int decoded = 0;  // frames decoded in the current pass
  ~Track() {
    std::lock_guard<std::mutex> guard(CodecLock());
    decoder.reset();
  }
};

std::int64_t ToMicroseconds(std::int64_t value, AVRational timeBase) {
  return ff.av_rescale_q(value, timeBase, AVRational{1, static_cast<int>(kSecond)});
}

// Opens the decoder of the stream `index` (none when it has no decoder).
bool OpenTrack(AVFormatContext *file, int index, Track &track) {
  const AVStream *stream = file->streams[index];
  track.index = index;
  track.timeBase = stream->time_base;
  const AVCodec *codec = ff.avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) return false;
  track.decoder.reset(ff.avcodec_alloc_context3(codec));
  if (!track.decoder ||
      ff.avcodec_parameters_to_context(track.decoder.get(), stream->codecpar) < 0)
    return false;
  std::lock_guard<std::mutex> guard(CodecLock());
  return ff.avcodec_open2(track.decoder.get(), codec, nullptr) >= 0;
}

void CountFrame(Track &track, const AVFrame *frame) {
  ++track.decoded;
  const std::int64_t pts = frame->best_effort_timestamp;
  if (pts == AV_NOPTS_VALUE) return;
  const std::int64_t start = ToMicroseconds(pts, track.timeBase);
  std::int64_t length = 0;
  if (frame->sample_rate > 0)
    length = kSecond * frame->nb_samples / frame->sample_rate;
  else if (frame->pkt_duration > 0)
    length = ToMicroseconds(frame->pkt_duration, track.timeBase);
  else
    length = track.frameUs;
  track.firstUs = std::min(track.firstUs, start);
  track.lastEndUs = std::max(track.lastEndUs, start + length);
}

void ReceiveFrames(Track &track, AVFrame *frame) {
  while (ff.avcodec_receive_frame(track.decoder.get(), frame) >= 0) {
    CountFrame(track, frame);
    ff.av_frame_unref(frame);
  }
}

Track *TrackOf(std::vector<Track *> &tracks, int streamIndex) {
  for (Track *track : tracks)
    if (track->index == streamIndex) return track;
  return nullptr;
}

// Decodes from the current position: until every track decoded a frame
// (`untilEachDecoded`), or to the end of the file, draining the decoders.
void DecodePass(AVFormatContext *file, std::vector<Track *> &tracks, bool untilEachDecoded) {
  const PacketPtr packet(ff.av_packet_alloc());
  const FramePtr frame(ff.av_frame_alloc());
  if (!packet || !frame) return;
  for (Track *track : tracks) {
    ff.avcodec_flush_buffers(track->decoder.get());
    track->decoded = 0;
  }
  const auto allDecoded = [&] {
    return std::all_of(tracks.begin(), tracks.end(), [](const Track *t) { return t->decoded > 0; });
  };
  for (int read = 0; ff.av_read_frame(file, packet.get()) >= 0; ++read) {
    const PacketContentsGuard contents(packet.get());
    if (Track *track = TrackOf(tracks, packet->stream_index)) {
      if (ff.avcodec_send_packet(track->decoder.get(), packet.get()) >= 0)
        ReceiveFrames(*track, frame.get());
    }
    if (untilEachDecoded && (allDecoded() || read >= kStartPackets)) return;
  }
  for (Track *track : tracks) {
    ff.avcodec_send_packet(track->decoder.get(), nullptr);
    ReceiveFrames(*track, frame.get());
  }
}

// Opens the file and reads its stream information; null when it cannot.
InputContextPtr OpenForCheck(const std::string &path) {
  AVFormatContext *raw = nullptr;
  if (OpenInputUrl(&raw, UrlForFileName(path), nullptr, nullptr) < 0) return nullptr;
  InputContextPtr file(raw);
  std::lock_guard<std::mutex> guard(CodecLock());
  if (ff.avformat_find_stream_info(file.get(), nullptr) < 0) return nullptr;
  return file;
}

// Reads the last part of the file; a part that gives no frame of some track
// (a container whose duration is only estimated) is made longer. False when
// the container cannot seek there, not even back to its start.
bool DecodeTail(AVFormatContext *file, std::vector<Track *> &tracks) {
  const std::int64_t length = file->duration > 0 ? file->duration : 0;
  const std::int64_t start = file->start_time != AV_NOPTS_VALUE ? file->start_time : 0;
  for (std::int64_t tail = kTailFirst;; tail *= 4) {
    const std::int64_t from = std::max<std::int64_t>(0, length - tail);
    if ((from == 0 || ff.av_seek_frame(file, -1, start + from, AVSEEK_FLAG_BACKWARD) < 0) &&
        ff.av_seek_frame(file, -1, start, AVSEEK_FLAG_BACKWARD) < 0)
      return false;
    for (Track *track : tracks) track->lastEndUs = LLONG_MIN;
    DecodePass(file, tracks, false);
    const bool complete = std::all_of(tracks.begin(), tracks.end(),
                                      [](const Track *t) { return t->decoded > 0; });
    if (complete || from == 0 || tail >= kTailLongest) return true;
  }
}

// The tail of a file that cannot seek: all of it, from a fresh opening.
void DecodeWhole(const std::string &path, std::vector<Track *> &tracks) {
  const InputContextPtr again = OpenForCheck(path);
  if (!again) return;
  for (Track *track : tracks) track->lastEndUs = LLONG_MIN;
  DecodePass(again.get(), tracks, false);
}

std::int64_t FrameLength(const AVStream *stream, const AVCodecContext *decoder) {
  if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
    AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    return rate.num > 0 ? kSecond * rate.den / rate.num : 40000;
  }
  const int samples = decoder && decoder->frame_size > 0 ? decoder->frame_size
                                                         : stream->codecpar->frame_size;
  const int rate = stream->codecpar->sample_rate;
  return samples > 0 && rate > 0 ? kSecond * samples / rate : 0;
}

}  // namespace

TMergeCheckReport CheckMergedFile(const std::string &path, const TMergeExpectation &expected) {
  TMergeCheckReport report;
  report.expectedUs = std::accumulate(expected.sourceDurationsUs.begin(),
                                      expected.sourceDurationsUs.end(), std::int64_t{0});
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return report;
  report.sizeBytes = static_cast<std::int64_t>(size);

  const InputContextPtr file = OpenForCheck(path);
  if (!file) return report;
  const int videoIndex =
      ff.av_find_best_stream(file.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const int audioIndex =
      ff.av_find_best_stream(file.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (videoIndex >= 0)
    report.videoCodec = ff.avcodec_get_name(file->streams[videoIndex]->codecpar->codec_id);
  if (audioIndex >= 0)
    report.audioCodec = ff.avcodec_get_name(file->streams[audioIndex]->codecpar->codec_id);

  using F = TMergeCheckFailure;
  const auto fail = [&](F failure) {
    report.failure = failure;
    return report;
  };
  if (expected.video && videoIndex < 0) return fail(F::NoVideo);
  if (!expected.video && videoIndex >= 0) return fail(F::UnexpectedVideo);
  if (expected.video && !expected.videoCodec.empty() && report.videoCodec != expected.videoCodec)
    return fail(F::WrongVideoCodec);
  if (expected.audio && audioIndex < 0) return fail(F::NoAudio);
  if (expected.audio && !expected.audioCodec.empty() && report.audioCodec != expected.audioCodec)
    return fail(F::WrongAudioCodec);

  Track video, audio;
  std::vector<Track *> tracks;
  if (expected.video) {
    if (!OpenTrack(file.get(), videoIndex, video)) return fail(F::NoPictureAtStart);
    tracks.push_back(&video);
  }
  if (expected.audio) {
    if (!OpenTrack(file.get(), audioIndex, audio)) return fail(F::NoSoundAtStart);
    tracks.push_back(&audio);
  }
  std::int64_t frameUs = kMinimumFrame;
  for (Track *track : tracks) {
    track->frameUs = FrameLength(file->streams[track->index], track->decoder.get());
    frameUs = std::max(frameUs, track->frameUs);
  }

  DecodePass(file.get(), tracks, true);
  if (expected.video && video.decoded == 0) return fail(F::NoPictureAtStart);
  if (expected.audio && audio.decoded == 0) return fail(F::NoSoundAtStart);
  if (!DecodeTail(file.get(), tracks)) DecodeWhole(path, tracks);
  if (expected.video && video.decoded == 0) return fail(F::NoPictureAtEnd);
  if (expected.audio && audio.decoded == 0) return fail(F::NoSoundAtEnd);

  std::int64_t first = LLONG_MAX;
  std::int64_t last = LLONG_MIN;
  for (const Track *track : tracks) {
    first = std::min(first, track->firstUs);
    last = std::max(last, track->lastEndUs);
  }
  report.durationUs = tracks.empty() || last < first ? 0 : last - first;
  report.toleranceUs =
      frameUs * (static_cast<std::int64_t>(expected.sourceDurationsUs.size()) + 1);
  if (report.durationUs < report.expectedUs - report.toleranceUs) return fail(F::TooShort);
  if (report.durationUs > report.expectedUs + report.toleranceUs) return fail(F::TooLong);
  return fail(F::None);
}

}  // namespace velmora
