#pragma once
// File names reach the library as 8-bit text in the locale's charset. A name
// that would lose characters in that charset is handed over as the URL
// "unicode:utf8:" + its UTF-8 form, and such URLs are opened through the
// protocol's own I/O context instead of the library's file protocol.
//
// Names are std::string holding UTF-8 (the program's wide-text form).
#include <string>

#include "libav/LibraryPtr.h"

namespace velmora {

// The longest URL handed to the library, in bytes.
constexpr std::size_t kMaxUrlLength = 2047;

bool NeedsUnicodeUrl(const std::string &name);
// The name to hand to the library. Raises FFmpegException when the result
// would be longer than kMaxUrlLength.
std::string UrlForFileName(const std::string &name);
bool IsUnicodeUrl(const std::string &url);
std::string FileNameFromUrl(const std::string &url);

// Run by the loader each time avformat is bound; registers once per process.
void RegisterUnicodeProtocol();
bool UnicodeProtocolRegistered();
// How many times the protocol was registered in this process (0 or 1).
int UnicodeProtocolRegistrationCount();

// Opens an I/O context for `url` with AVIO_FLAG_* flags: a unicode URL
// through the protocol, any other name through the library (avio_open2).
// Returns 0 or a negative library error code (AVERROR(ENOENT) for a file
// that cannot be opened).
int OpenUrlIO(AVIOContext **pb, const std::string &url, int avioFlags,
              const AVIOInterruptCB *interrupt, AVDictionary **options);
// Closes and frees what OpenUrlIO opened, of either kind; sets *pb to null.
void CloseUrlIO(AVIOContext **pb);

// avformat_open_input for any name: a unicode URL gets the protocol's I/O
// context (and nested opens of the demuxer go through it too).
int OpenInputUrl(AVFormatContext **ic, const std::string &url, const AVInputFormat *format,
                 AVDictionary **options);
// avformat_close_input, freeing the protocol's I/O context too.
void CloseInputUrl(AVFormatContext **ic);
// Owns a demuxer opened with OpenInputUrl.
using InputContextPtr = LibraryPtr<AVFormatContext, &CloseInputUrl>;
// Makes nested opens of a muxer (image sequences, segments) understand unicode URLs.
void InstallUnicodeIoHooks(AVFormatContext *context);

}  // namespace velmora
