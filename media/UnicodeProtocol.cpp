// The "unicode" protocol: files named by "unicode:utf8:" URLs are opened
// here and handed to the library as I/O contexts of our own, because today's
// library has no way to register a protocol from outside.
#include "media/UnicodeProtocol.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "libav/FFmpegLoader.h"

namespace velmora {

namespace {

constexpr int kIoBufferSize = 32768;

std::mutex gRegistrationLock;
bool gRegistered = false;
int gRegistrationCount = 0;

// One open file of the protocol: the context's opaque pointer.
struct UnicodeFile {
  int fd;
};

int FileOf(void *opaque) { return static_cast<UnicodeFile *>(opaque)->fd; }

int ProtocolRead(void *opaque, uint8_t *buffer, int size) {
  for (;;) {
    const ssize_t n = read(FileOf(opaque), buffer, static_cast<std::size_t>(size));
    if (n > 0) return static_cast<int>(n);
    // The library reads a 0 as a broken protocol: the end is AVERROR_EOF.
    if (n == 0) return AVERROR_EOF;
    if (errno != EINTR) return AVERROR(errno);
  }
}

// The library does not retry a short write, so everything is written here.
int ProtocolWrite(void *opaque, uint8_t *buffer, int size) {
  int done = 0;
  while (done < size) {
    const ssize_t n = write(FileOf(opaque), buffer + done, static_cast<std::size_t>(size - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return AVERROR(errno);
    }
    done += static_cast<int>(n);
  }
  return done;
}

int64_t ProtocolSeek(void *opaque, int64_t offset, int whence) {
  const int fd = FileOf(opaque);
  // Forcing is a hint about cost; a local file seeks cheaply either way.
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return AVERROR(errno);
    return st.st_size;
  }
  if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return AVERROR(EINVAL);
  const off_t position = lseek(fd, static_cast<off_t>(offset), whence);
  if (position < 0) return AVERROR(errno);
  return position;
}

// Our contexts are the ones whose seek callback is ours.
bool IsProtocolContext(const AVIOContext *pb) { return pb && pb->seek == &ProtocolSeek; }

// Opens `fileName` (bytes of the file system) as an I/O context of the
// protocol. Reading needs an existing file; writing creates it or empties it.
int ProtocolOpen(AVIOContext **pb, const std::string &fileName, int avioFlags) {
  if (!ff.av_malloc || !ff.av_free || !ff.avio_alloc_context) return AVERROR(ENOSYS);
  const int access = avioFlags & AVIO_FLAG_READ_WRITE;
  const bool writable = (access & AVIO_FLAG_WRITE) != 0;
  int openFlags = O_CLOEXEC;
  if (access == AVIO_FLAG_READ_WRITE)
    openFlags |= O_RDWR | O_CREAT | O_TRUNC;
  else if (writable)
    openFlags |= O_WRONLY | O_CREAT | O_TRUNC;
  else
    openFlags |= O_RDONLY;
  const int fd = open(fileName.c_str(), openFlags, 0666);
  if (fd < 0) return AVERROR(ENOENT);
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return AVERROR(ENOENT);
  }
  // Until the context owns them, the file, its record and the buffer are ours.
  auto record = std::make_unique<UnicodeFile>(UnicodeFile{fd});
  LibraryMemoryPtr<unsigned char> buffer(
      static_cast<unsigned char *>(ff.av_malloc(kIoBufferSize)));
  const bool readable = access != AVIO_FLAG_WRITE;
  AVIOContext *context =
      buffer ? ff.avio_alloc_context(buffer.get(), kIoBufferSize, writable ? 1 : 0, record.get(),
                                     readable ? &ProtocolRead : nullptr,
                                     writable ? &ProtocolWrite : nullptr, &ProtocolSeek)
             : nullptr;
  if (!context) {
    close(fd);
    return AVERROR(ENOMEM);
  }
  buffer.release();
  record.release();
  *pb = context;
  return 0;
}

// Writes out what is buffered, closes the file and frees the context.
// Returns 0 or the first error of the buffered writes and the close.
int ProtocolClose(AVIOContext **pb) {
  AVIOContext *context = *pb;
  if (context->write_flag) ff.avio_flush(context);
  int result = context->error;
  const std::unique_ptr<UnicodeFile> record(static_cast<UnicodeFile *>(context->opaque));
  if (close(record->fd) != 0 && result == 0) result = AVERROR(errno);
  // The library may have replaced the buffer; free the one it holds now.
  ff.av_freep(&context->buffer);
  ff.avio_context_free(pb);
  return result;
}

bool Registered() {
  std::lock_guard<std::mutex> guard(gRegistrationLock);
  return gRegistered;
}

bool OpensThroughProtocol(const char *url) {
  return url && IsUnicodeUrl(url) && Registered();
}

// The nested-open callbacks a format context had before ours were installed,
// so that names of other protocols still open the library's way.
struct PreviousIoHooks {
  decltype(AVFormatContext::io_open) ioOpen;
  decltype(AVFormatContext::io_close2) ioClose2;
};

std::mutex gHooksLock;
std::unordered_map<const AVFormatContext *, PreviousIoHooks> gPreviousHooks;

PreviousIoHooks PreviousHooksOf(const AVFormatContext *context) {
  std::lock_guard<std::mutex> guard(gHooksLock);
  auto it = gPreviousHooks.find(context);
  return it == gPreviousHooks.end() ? PreviousIoHooks{nullptr, nullptr} : it->second;
}

void ForgetHooks(const AVFormatContext *context) {
  std::lock_guard<std::mutex> guard(gHooksLock);
  gPreviousHooks.erase(context);
}

// Opens a name of another protocol as the library's own nested open does:
// with the context's interrupt callback and protocol white and black lists.
int OpenWithContextRules(AVFormatContext *s, AVIOContext **pb, const char *url, int flags,
                         AVDictionary **options) {
  DictionaryPtr local;
  InOutPtr lent(local);
  AVDictionary **rules = options ? options : static_cast<AVDictionary **>(lent);
  if (s->protocol_whitelist) ff.av_dict_set(rules, "protocol_whitelist", s->protocol_whitelist, 0);
  if (s->protocol_blacklist) ff.av_dict_set(rules, "protocol_blacklist", s->protocol_blacklist, 0);
  return ff.avio_open2(pb, url, flags, &s->interrupt_callback, rules);
}

int HookedIoOpen(AVFormatContext *s, AVIOContext **pb, const char *url, int flags,
                 AVDictionary **options) {
  if (OpensThroughProtocol(url)) return ProtocolOpen(pb, FileNameFromUrl(url), flags);
  const PreviousIoHooks previous = PreviousHooksOf(s);
  if (previous.ioOpen) return previous.ioOpen(s, pb, url, flags, options);
  // A context the library made inside another one inherits our callbacks
  // without an entry of its own.
  return OpenWithContextRules(s, pb, url, flags, options);
}

int HookedIoClose2(AVFormatContext *s, AVIOContext *pb) {
  if (!pb) return 0;
  if (IsProtocolContext(pb)) return ProtocolClose(&pb);
  const PreviousIoHooks previous = PreviousHooksOf(s);
  if (previous.ioClose2) return previous.ioClose2(s, pb);
  return ff.avio_closep(&pb);
}

}  // namespace

void RegisterUnicodeProtocol() {
  // The protocol needs these slots of avformat to list the library's
  // protocols and to build its I/O contexts.
  assert(ff.avio_enum_protocols && ff.avio_alloc_context && ff.avio_context_free &&
         ff.avio_open2 && ff.avio_closep && ff.avio_flush && ff.avformat_open_input &&
         ff.avformat_close_input && ff.avformat_alloc_context && ff.avformat_free_context);
  std::lock_guard<std::mutex> guard(gRegistrationLock);
  if (gRegistered) return;
  // A library that knows a "unicode" protocol of its own keeps it.
  for (int output = 0; output <= 1; ++output) {
    void *opaque = nullptr;
    while (const char *name = ff.avio_enum_protocols(&opaque, output))
      if (std::strcmp(name, "unicode") == 0) return;
  }
  gRegistered = true;
  ++gRegistrationCount;
}

namespace {
// Whenever avformat is bound, the loader runs the registration; this file is
// part of every program that opens files through the protocol.
[[maybe_unused]] const bool gRunsAfterBinding =
    (TFFmpegLoader::Instance().RunAfterBinding(TLibraryKind::lkAVFormat, &RegisterUnicodeProtocol),
     true);
}  // namespace

bool UnicodeProtocolRegistered() { return Registered(); }

int UnicodeProtocolRegistrationCount() {
  std::lock_guard<std::mutex> guard(gRegistrationLock);
  return gRegistrationCount;
}

int OpenUrlIO(AVIOContext **pb, const std::string &url, int avioFlags,
              const AVIOInterruptCB *interrupt, AVDictionary **options) {
  if (!pb) return AVERROR(EINVAL);
  *pb = nullptr;
  if (OpensThroughProtocol(url.c_str())) return ProtocolOpen(pb, FileNameFromUrl(url), avioFlags);
  return ff.avio_open2(pb, url.c_str(), avioFlags, interrupt, options);
}

void CloseUrlIO(AVIOContext **pb) {
  if (!pb || !*pb) return;
  if (IsProtocolContext(*pb))
    ProtocolClose(pb);
  else
    ff.avio_closep(pb);
}

int OpenInputUrl(AVFormatContext **ic, const std::string &url, const AVInputFormat *format,
                 AVDictionary **options) {
  if (!ic) return AVERROR(EINVAL);
  // A caller that brings an I/O context of its own keeps it.
  if (!OpensThroughProtocol(url.c_str()) || (*ic && (*ic)->pb))
    return ff.avformat_open_input(ic, url.c_str(), format, options);

  AVFormatContext *context = *ic ? *ic : ff.avformat_alloc_context();
  if (!context) return AVERROR(ENOMEM);
  AVIOContext *pb = nullptr;
  const int opened = ProtocolOpen(&pb, FileNameFromUrl(url), AVIO_FLAG_READ);
  if (opened < 0) {
    // Like avformat_open_input, a failure frees the caller's context too.
    ff.avformat_free_context(context);
    *ic = nullptr;
    return opened;
  }
  context->pb = pb;
  context->flags |= AVFMT_FLAG_CUSTOM_IO;
  InstallUnicodeIoHooks(context);
  *ic = context;
  const int result = ff.avformat_open_input(ic, url.c_str(), format, options);
  if (result < 0) {
    // The library freed the format context but leaves a custom context alone.
    ForgetHooks(context);
    ProtocolClose(&pb);
  }
  return result;
}

void CloseInputUrl(AVFormatContext **ic) {
  // With the libraries already gone the context can only be left behind.
  if (!ic || !*ic || !ff.avformat_close_input) return;
  AVFormatContext *context = *ic;
  AVIOContext *pb = nullptr;
  if ((context->flags & AVFMT_FLAG_CUSTOM_IO) && IsProtocolContext(context->pb)) pb = context->pb;
  // Closing the demuxer may still close nested files through the hooks.
  ff.avformat_close_input(ic);
  ForgetHooks(context);
  if (pb) ProtocolClose(&pb);
}

void InstallUnicodeIoHooks(AVFormatContext *context) {
  if (!context) return;
  std::lock_guard<std::mutex> guard(gHooksLock);
  if (context->io_open != &HookedIoOpen)
    gPreviousHooks[context] = PreviousIoHooks{context->io_open, context->io_close2};
  context->io_open = &HookedIoOpen;
  context->io_close2 = &HookedIoClose2;
}

}  // namespace velmora
