#include "app/OpenDialogFilter.h"

#include <sstream>

namespace velmora {

namespace {

// Joined with nothing between them; the first entry's masks run over two parts.
const char *const kFilterParts[] = {
    "所有支持的文件类型|*.AVI;*.ASF;*.asx;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;"
    "*.DAT;*.OGM;*.VOB;*.RM;*.RMVB;*.TS;*.TP;*.IFO;*.NSV;*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;*.SWF;",
    "*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;*.OGG;*.RA;*.WV;*.TTA;*.AC3;*.DTS;"
    "*.DV;*.m4v;*.3g2;*.mkv;*.dv;*.yuv;*.h261;*.h264;*.mjpeg;*.dif;*.m4v;*.3gpp;*.3gp2;*.qt|",
    "所有的文件 (*.*)|*.*|",
    "AVI文件 (*.avi)|*.avi|",
    "MPEG文件 (*.mpg;*.mpeg)|*.mpg;*.mpeg|",
    "Windows Media文件 (*.wmv;*.asf;*.asx)|*.wmv;*.asf;*.asx|",
    "Dat文件 (*.dat)|*.dat|",
    "DVD光盘VOB文件 (*.vob)|*.vob|",
    "Real类型文件 (*.rm;*.rmvb)|*.rm;*.rmvb|",
    "MP4类型文件 (*.mp4;*.m4v)|*.mp4;*.m4v|",
    "手机3GP文件 (*.3gp;*.3gpp)|*.3gp;*.3gpp|",
    "手机3GPP2文件 (*.3g2;*.3gp2)|*.3g2;*.3gp2|",
    "Flash文件 (*.swf)|*.swf|",
    "Quick Time文件 (*.mov;*.qt)|*.mov;*.qt|",
    "FLV类型文件 (*.flv)|*.flv|",
    "Raw视频文件 (*.yuv)|*.yuv|",
    "Raw h261类型文件 (*.h261)|*.h261|",
    "Raw h264类型文件 (*.h264)|*.h264|",
    "MJPEG类型文件 (*.mjpeg)|*.mjpeg|",
    "MKV视频文件 (*.mkv)|*.mkv|",
    "DV视频文件 (*.dv;*.dif)|*.dv;*.dif|",
};

std::string JoinedParts() {
  std::string text;
  for (const char *part : kFilterParts) text += part;
  return text;
}

std::vector<std::string> Split(const std::string &text, char separator) {
  std::vector<std::string> pieces;
  std::istringstream in(text);
  std::string piece;
  while (std::getline(in, piece, separator)) pieces.push_back(piece);
  return pieces;
}

}  // namespace

const std::string kOpenDialogFilter = JoinedParts();

std::vector<TFileFilter> ParseDialogFilter(const std::string &text) {
  const std::vector<std::string> pieces = Split(text, '|');
  std::vector<TFileFilter> filters;
  for (std::size_t i = 0; i + 1 < pieces.size(); i += 2) {
    TFileFilter filter{pieces[i], {}};
    for (std::string &mask : Split(pieces[i + 1], ';'))
      if (!mask.empty()) filter.Masks.push_back(std::move(mask));
    if (!filter.Masks.empty()) filters.push_back(std::move(filter));
  }
  return filters;
}

}  // namespace velmora
