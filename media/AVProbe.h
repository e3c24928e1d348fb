#pragma once
// The media probe: opens a file through the codec library (or takes a
// demuxer context that is already open), and describes the container and its
// streams as records, single values and one information text whose layout
// the media information window relies on.
//
// Failures of a query or a load are reported in LastError and, for queries,
// also as a library log line; only missing codec libraries raise an
// FFmpegException to the caller.
#include <memory>
#include <string>

#include "libav/LibraryPtr.h"
#include "media/ProbeRecords.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

class TCustomAVProbe {
 public:
  TCustomAVProbe() = default;
  virtual ~TCustomAVProbe();
  TCustomAVProbe(const TCustomAVProbe &) = delete;
  TCustomAVProbe &operator=(const TCustomAVProbe &) = delete;

  // Uses an open demuxer context (a task's input) without owning it: closing
  // the probe leaves the context open. A null context just closes the probe.
  virtual void AttachContext(AVFormatContext *context);
  // Forgets the file; closes the context only when the probe opened it.
  virtual void CloseFile();

  // Opens `fileName` (UTF-8) with the demuxer `forceFormat` when not empty.
  // False with LastError set when the file cannot be described.
  bool LoadFile(const std::string &fileName, const std::string &forceFormat = std::string());

  void GetFileStreamInfo(TFileStreamInfo &info);
  // A negative index selects the first stream of that kind.
  void GetAudioStreamInfo(int index, TAudioStreamInfo &info);
  void GetVideoStreamInfo(int index, TVideoStreamInfo &info);

  std::string FileName();
  std::string FormatName();      // the demuxer's short name
  std::string FormatLongName();  // the demuxer's long name
  // Lines ending in CR LF; empty when no file is loaded.
  std::string InfoText();

  const std::string &LastError() const { return lastError_; }
  const std::string &ForceFormat() const { return forceFormat_; }
  AVFormatContext *Context() const { return context_; }
  bool OwnsContext() const { return owned_ != nullptr; }

  // All -1 while no file is open. Data streams are not counted by kind.
  int StreamCount() const { return streamCount_; }
  int AudioStreamCount() const { return audioCount_; }
  int VideoStreamCount() const { return videoCount_; }
  int SubtitleStreamCount() const { return subtitleCount_; }
  int FirstAudioStreamIndex() const { return firstAudio_; }
  int FirstVideoStreamIndex() const { return firstVideo_; }
  int FirstSubtitleStreamIndex() const { return firstSubtitle_; }

 private:
  // Raises FFmpegException naming the first codec library that is missing.
  static void CheckLibraries();
  void CountStreams();
  void ResetCounts();
  // Logs "file not loaded." and sets LastError when there is no file.
  bool RequireFile();
  void Fail(int engineLevel, const std::string &message);
  // The stream of `kind` at `index` (first of that kind when negative), or
  // null with the failure reported.
  AVStream *SelectStream(int index, AVMediaType kind, const char *kindName);
  TFileStreamInfo ReadFileStreamInfo() const;
  std::string StreamLine(int index) const;

  AVFormatContext *context_ = nullptr;
  InputContextPtr owned_;  // set when the probe opened the file
  std::string lastError_;
  std::string forceFormat_;
  int streamCount_ = -1;
  int audioCount_ = -1;
  int videoCount_ = -1;
  int subtitleCount_ = -1;
  int firstAudio_ = -1;
  int firstVideo_ = -1;
  int firstSubtitle_ = -1;
};

// The probe class that is instantiated. It may hold decoding resources of its
// own (a decoder, a scaler and a frame, for pictures of the file); CloseFile
// releases them before the file itself.
class TAVProbe : public TCustomAVProbe {
 public:
  TAVProbe() = default;
  ~TAVProbe() override;
  void CloseFile() override;

 protected:
  CodecContextPtr decoder_;  // freed under the codec lock
  ScalerContextPtr scaler_;
  FramePtr frame_;

 private:
  void ReleaseDecodingResources();
};

}  // namespace velmora
