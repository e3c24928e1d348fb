// The information request: the selected row's file read by the probe
// converter's probe, its values kept on the window and shown in the media
// information window.
#include <filesystem>

#include "app/MainForm.h"
#include "app/MediaInfoText.h"

namespace velmora {

void TForm1::AdvListView1DblClick() {
  TMediaInfoValues values;
  {
    TChange change(*this);
    if (!ReadMediaInfo()) return;
    values = MediaInfo;
  }
  // Shown without the lock: the converters' handlers go on meanwhile.
  if (Windows.ShowMediaInfo) Windows.ShowMediaInfo(values);
}

void TForm1::suiButton12Click() { AdvListView1DblClick(); }

bool TForm1::ReadMediaInfo() {
  if (AdvListView1.RowCount() == 0 || !AdvListView1.ValidRow(AdvListView1.Selected)) return false;
  const std::string path = AdvListView1.Rows[AdvListView1.Selected].Columns[kColSource];
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;

  // A failed load leaves the probe closed: its queries then give empty texts
  // and records of -1 values.
  TAVProbe &probe = ProbeConverter.Probe();
  probe.LoadFile(path);
  TMediaInfoValues &v = MediaInfo;
  v.FileName = probe.FileName();
  v.FormatName = probe.FormatName();
  v.InfoText = probe.InfoText();
  v.FormatLongName = probe.FormatLongName();
  v.VideoDescription = StreamDescription(v.InfoText, "Video:");
  v.AudioDescription = StreamDescription(v.InfoText, "Audio:");
  v.SizeText = SizeText(v.InfoText);
  v.DurationText = DurationText(v.InfoText);
  v.BitRateText = BitRateText(v.InfoText);
  v.HasAudio = probe.FirstAudioStreamIndex() >= 0;
  v.HasVideo = probe.FirstVideoStreamIndex() >= 0;
  probe.GetAudioStreamInfo(probe.FirstAudioStreamIndex(), v.Audio);
  probe.GetVideoStreamInfo(probe.FirstVideoStreamIndex(), v.Video);
  return true;
}

}  // namespace velmora
