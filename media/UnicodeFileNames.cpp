// File names and the URLs handed to the library: which names survive the
// locale's charset, and the "unicode:utf8:" form for those that do not.
#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <string_view>

#include "libav/FFmpegException.h"
#include "media/UnicodeProtocol.h"

namespace velmora {

namespace {

constexpr std::string_view kUnicodePrefix = "unicode:utf8:";
// Names of protocols whose URLs are passed on as they are, each in colons.
constexpr std::string_view kUntouchedProtocols = ":unicode:stream:gopher:http:pipe:rtp:tcp:udp:";

// The charset of the current locale: the 8-bit text the library and the
// file system see.
const char *SystemCharset() {
  const char *charset = nl_langinfo(CODESET);
  return (charset && *charset) ? charset : "ANSI_X3.4-1968";
}

// Converts `in` from one charset to another. False when the input is not
// valid in `from`, a character has no form in `to`, or the charsets are
// unknown. Each call has its own conversion state, so threads may convert at
// the same time.
bool Convert(const std::string &in, const char *from, const char *to, std::string &out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  char *inPtr = const_cast<char *>(in.data());
  std::size_t inLeft = in.size();
  char chunk[1024];
  bool ok = true;
  // The final round (null input) flushes the shift state of stateful charsets.
  for (bool flushing = false;;) {
    char *outPtr = chunk;
    std::size_t outLeft = sizeof chunk;
    const std::size_t result = flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                        : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
    out.append(chunk, outPtr - chunk);
    if (error == E2BIG) continue;
    if (error != 0) {
      ok = false;
      break;
    }
    if (flushing) break;
    flushing = true;
  }
  iconv_close(cd);
  return ok;
}

// The bytes of `name` in the locale's charset; the name unchanged when it
// cannot be converted (on this system a file name is bytes, so the bytes
// themselves are the best name to pass on).
std::string ToSystemCharset(const std::string &name) {
  std::string local;
  return Convert(name, "UTF-8", SystemCharset(), local) ? local : name;
}

std::string FromSystemCharset(const std::string &text) {
  std::string utf8;
  return Convert(text, SystemCharset(), "UTF-8", utf8) ? utf8 : text;
}

}  // namespace

bool NeedsUnicodeUrl(const std::string &name) {
  const std::size_t colon = name.find(':');
  if (colon != std::string::npos) {
    const std::string scheme = ":" + name.substr(0, colon) + ":";
    if (kUntouchedProtocols.find(scheme) != std::string_view::npos) return false;
  }
  const char *charset = SystemCharset();
  std::string local, back;
  if (!Convert(name, "UTF-8", charset, local) || !Convert(local, charset, "UTF-8", back))
    return true;
  return back != name;
}

std::string UrlForFileName(const std::string &name) {
  std::string url =
      NeedsUnicodeUrl(name) ? std::string(kUnicodePrefix) + name : ToSystemCharset(name);
  if (url.size() > kMaxUrlLength) throw FFmpegException("File name too long: " + name);
  return url;
}

bool IsUnicodeUrl(const std::string &url) {
  return url.size() > kUnicodePrefix.size() &&
         url.compare(0, kUnicodePrefix.size(), kUnicodePrefix) == 0;
}

std::string FileNameFromUrl(const std::string &url) {
  if (IsUnicodeUrl(url)) return url.substr(kUnicodePrefix.size());
  return FromSystemCharset(url);
}

}  // namespace velmora
