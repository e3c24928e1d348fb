#include "libav/LibraryTexts.h"

#include <cerrno>
#include <iterator>

#include "libav/FFmpegHeaders.h"

namespace velmora {

namespace {

struct OpenErrorRow {
  int code;
  const char *text;  // follows "<file name>: "
};

// Today's library reports an unrecognised file in several ways; they all
// read as an unknown format. AVERROR(EDOM) is what the engine itself uses
// for an image sequence name without a frame number.
const OpenErrorRow kOpenErrors[] = {
    {AVERROR_INVALIDDATA, "Unknown format"},
    {AVERROR_DEMUXER_NOT_FOUND, "Unknown format"},
    {AVERROR(EILSEQ), "Unknown format"},
    {AVERROR(EDOM),
     "Incorrect image filename syntax.\r\n"
     "Use '%d' to specify the image number:\r\n"
     "  for img1.jpg, img2.jpg, ..., use 'img%d.jpg';\r\n"
     "  for img001.jpg, img002.jpg, ..., use 'img%03d.jpg'."},
    {AVERROR(EINVAL), "Error while parsing header"},
    {AVERROR(ENOMEM), "memory allocation error occurred"},
    {AVERROR(EIO),
     "I/O error occurred\r\nUsually that means that input file is truncated and/or corrupted."},
    {AVERROR(ENOENT), "no such file or directory"},
};

const char *const kMediaTypeNames[] = {"Video", "Audio", "Data", "Subtitle", "Attachment"};

}  // namespace

std::string OpenErrorText(const std::string &fileName, int errorCode) {
  for (const OpenErrorRow &row : kOpenErrors)
    if (row.code == errorCode) return fileName + ": " + row.text;
  return fileName + ": Error while opening file";
}

std::string MediaTypeName(int mediaType) {
  if (mediaType < 0 || mediaType >= static_cast<int>(std::size(kMediaTypeNames))) return "Unknown";
  return kMediaTypeNames[mediaType];
}

}  // namespace velmora
