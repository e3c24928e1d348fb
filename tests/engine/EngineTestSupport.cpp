#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "engine/CommandTask.h"
#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora::test {

MediaSummary Summarize(const std::string &file, bool decode) {
  MediaSummary summary;
  AVFormatContext *context = nullptr;
  if (ff.avformat_open_input(&context, file.c_str(), nullptr, nullptr) < 0) {
    ADD_FAILURE() << "cannot open " << file;
    return summary;
  }
  ff.avformat_find_stream_info(context, nullptr);
  summary.format = context->iformat->name;
  summary.duration = context->duration > 0 ? context->duration / 1e6 : 0;
  std::vector<AVCodecContext *> decoders(context->nb_streams, nullptr);
  std::vector<std::int64_t> lastDts(context->nb_streams, AV_NOPTS_VALUE);
  std::vector<std::int64_t> firstPts(context->nb_streams, AV_NOPTS_VALUE);
  std::vector<std::int64_t> lastEnd(context->nb_streams, AV_NOPTS_VALUE);
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const AVStream *stream = context->streams[i];
    StreamSummary s;
    s.type = stream->codecpar->codec_type;
    s.codec = ff.avcodec_get_name(stream->codecpar->codec_id);
    if (stream->avg_frame_rate.num > 0) s.frameDuration = 1.0 / av_q2d(stream->avg_frame_rate);
    summary.streams.push_back(s);
    if (!decode || (s.type != AVMEDIA_TYPE_VIDEO && s.type != AVMEDIA_TYPE_AUDIO)) continue;
    const AVCodec *codec = ff.avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) continue;
    decoders[i] = ff.avcodec_alloc_context3(codec);
    ff.avcodec_parameters_to_context(decoders[i], stream->codecpar);
    if (ff.avcodec_open2(decoders[i], codec, nullptr) < 0) ff.avcodec_free_context(&decoders[i]);
  }
  AVPacket *packet = ff.av_packet_alloc();
  AVFrame *frame = ff.av_frame_alloc();
  auto receive = [&](unsigned index) {
    while (ff.avcodec_receive_frame(decoders[index], frame) >= 0) {
      ++summary.streams[index].frames;
      ff.av_frame_unref(frame);
    }
  };
  while (ff.av_read_frame(context, packet) >= 0) {
    const unsigned index = static_cast<unsigned>(packet->stream_index);
    StreamSummary &s = summary.streams[index];
    ++s.packets;
    if (packet->dts != AV_NOPTS_VALUE) {
      if (lastDts[index] != AV_NOPTS_VALUE && packet->dts <= lastDts[index])
        s.dtsIncreasing = false;
      lastDts[index] = packet->dts;
    }
    const std::int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (pts != AV_NOPTS_VALUE) {
      if (firstPts[index] == AV_NOPTS_VALUE || pts < firstPts[index]) firstPts[index] = pts;
      const std::int64_t end = pts + packet->duration;
      if (lastEnd[index] == AV_NOPTS_VALUE || end > lastEnd[index]) lastEnd[index] = end;
    }
    if (decoders[index] && ff.avcodec_send_packet(decoders[index], packet) >= 0) receive(index);
    ff.av_packet_unref(packet);
  }
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const double base = av_q2d(context->streams[i]->time_base);
    if (firstPts[i] != AV_NOPTS_VALUE) summary.streams[i].start = firstPts[i] * base;
    if (lastEnd[i] != AV_NOPTS_VALUE) summary.streams[i].end = lastEnd[i] * base;
    if (!decoders[i]) continue;
    ff.avcodec_send_packet(decoders[i], nullptr);
    receive(i);
    ff.avcodec_free_context(&decoders[i]);
  }
  ff.av_frame_free(&frame);
  ff.av_packet_free(&packet);
  ff.avformat_close_input(&context);
  return summary;
}

namespace {

std::mutex g_libraryLogMutex;
std::vector<std::pair<int, std::string>> g_libraryLog;

void CollectLibraryLog(void *, int level, const char *format, va_list args) {
  if (level > ff.av_log_get_level()) return;
  char piece[2048];
  std::vsnprintf(piece, sizeof piece, format, args);
  std::lock_guard<std::mutex> guard(g_libraryLogMutex);
  g_libraryLog.emplace_back(level, piece);
}

}  // namespace

LibraryLog::LibraryLog(int level) : savedLevel_(ff.av_log_get_level()) {
  {
    std::lock_guard<std::mutex> guard(g_libraryLogMutex);
    g_libraryLog.clear();
  }
  ff.av_log_set_level(level);
  ff.av_log_set_callback(CollectLibraryLog);
}

LibraryLog::~LibraryLog() {
  ff.av_log_set_callback(ff.av_log_default_callback);
  ff.av_log_set_level(savedLevel_);
}

std::vector<std::pair<int, std::string>> LibraryLog::Pieces() const {
  std::lock_guard<std::mutex> guard(g_libraryLogMutex);
  return g_libraryLog;
}

std::string LibraryLog::Text() const {
  std::string text;
  for (const auto &[level, piece] : Pieces()) text += piece;
  return text;
}

int LibraryLog::Count(const std::string &part) const {
  const std::string text = Text();
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

bool TaskResult::Logged(const std::string &part) const {
  for (const auto &[level, text] : log)
    if (text.find(part) != std::string::npos) return true;
  return false;
}

TaskResult RunTask(TCustomFFmpeg &engine, const std::vector<std::string> &args, bool join) {
  TaskResult result;
  engine.OnLog = [&result](int level, const std::string &text) {
    result.log.emplace_back(level, text);
  };
  const CommandLine line = ParseCommandLine(args, TCustomFFmpeg::OptionTakesValue);
  EXPECT_TRUE(line.error.empty()) << line.error;
  const CommandTaskResult run = RunCommandTask(engine, line, join);
  result.opened = run.opened;
  result.finished = run.finished;
  result.error = run.error;
  return result;
}

TaskResult RunTask(const std::vector<std::string> &args, bool join) {
  TCustomFFmpeg engine;
  return RunTask(engine, args, join);
}

std::vector<std::string> ClipArgs(double seconds, const std::vector<std::string> &codecArgs,
                                  const std::string &size) {
  const std::string length = std::to_string(seconds);
  std::vector<std::string> args = {"-f",
                                   "lavfi",
                                   "-i",
                                   "testsrc2=size=" + size + ":rate=25:duration=" + length,
                                   "-f",
                                   "lavfi",
                                   "-i",
                                   "sine=frequency=440:sample_rate=44100:duration=" + length};
  args.insert(args.end(), codecArgs.begin(), codecArgs.end());
  return args;
}

void MakeClip(const std::string &file, double seconds, const std::vector<std::string> &codecArgs,
              const std::string &size) {
  std::vector<std::string> args = ClipArgs(seconds, codecArgs, size);
  args.push_back(file);
  Ffmpeg(args);
}

}  // namespace velmora::test
