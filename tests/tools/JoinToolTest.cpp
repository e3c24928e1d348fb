// velmora-join, the merge without a display: a merge of three sources and
// its report, values named by text or by number, refused command lines,
// and Ctrl+C during the sources.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/TestSupport.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string output;  // stdout and stderr
};

ToolRun RunJoin(std::vector<std::string> args) {
  args.insert(args.begin(), VELMORA_JOIN);
  ToolRun run{};
  run.status = test::RunProgram(args, &run.output);
  return run;
}

std::string Probe(const std::string &path, const std::string &entries) {
  std::string text;
  test::RunProgram(
      {"ffprobe", "-v", "error", "-show_entries", entries, "-of", "default=nw=1:nk=1", path},
      &text);
  return text;
}

class JoinTool : public ::testing::Test {
 protected:
  // A one-second source named `name` (its container follows the name).
  std::string Source(const std::string &name, const std::string &size = "160x120",
                     double seconds = 1) {
    const std::string path = dir.file(name);
    fs::copy_file(
        test::SharedMedia(
            "join-" + size + "-" + std::to_string(seconds) + fs::path(name).extension().string(),
            {"-f", "lavfi", "-i", "testsrc2=s=" + size + ":r=25:d=" + std::to_string(seconds), "-f",
             "lavfi", "-i", "sine=d=" + std::to_string(seconds)}),
        path);
    return path;
  }
  std::string Out(const std::string &name) const { return dir.file("out/" + name); }

  test::TempDir dir;
};

TEST_F(JoinTool, MergesThreeSourcesAndReportsEachStepOnPlainLines) {
  const ToolRun run = RunJoin(
      {"-o", dir.file("out"), Source("a.avi"), Source("b.mkv"), Source("c.mp4", "176x144")});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(fs::exists(Out("ALL_a.avi")));
  EXPECT_EQ(Probe(Out("ALL_a.avi"), "stream=codec_name"), "mpeg4\nmp3\n");
  // Not on a terminal: one line per step, no drawing.
  EXPECT_NE(run.output.find("[1/3] a.avi: done in "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("[3/3] c.mp4: done in "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("[join] ended after "), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find('\x1b'), std::string::npos) << run.output;
  const std::string last = run.output.substr(run.output.rfind('\n', run.output.size() - 2) + 1);
  EXPECT_EQ(last.rfind("output: " + Out("ALL_a.avi") + ", duration 3.", 0), 0u) << last;
  EXPECT_NE(last.find(" bytes"), std::string::npos) << last;
  // Only the output is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("out")), fs::directory_iterator()), 1);
}

TEST_F(JoinTool, TakesBoxEntriesByTheirTextOrTheirNumber) {
  const ToolRun run =
      RunJoin({"--preset", "MKV", "--video-quality", "816", "--size", "176x144", "--frame-rate",
               "25.00", "--aspect", "16:9", "--audio-quality", "音频质量一般", "--after", "none",
               "-o", dir.file("out"), Source("a.avi")});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Probe(Out("ALL_a.mkv"), "stream=width,height"), "176\n144\n");
}

// Chapters as ffprobe lists them: start, end and title of each.
struct Chapter {
  double start, end;
  std::string title;
};
std::vector<Chapter> Chapters(const std::string &path) {
  std::istringstream lines(Probe(path, "chapter=start_time,end_time:chapter_tags=title"));
  std::vector<Chapter> chapters;
  Chapter c;
  while (lines >> c.start >> c.end && std::getline(lines >> std::ws, c.title))
    chapters.push_back(c);
  return chapters;
}

TEST_F(JoinTool, OutputsThatHoldChaptersGetOnePerSourceWhereItStarts) {
  struct Case {
    std::vector<std::string> options;
    std::string output;
    bool chapters;
  };
  const Case cases[] = {
      {{"-p", "32"}, "ALL_a.mkv", true},
      {{"-p", "4"}, "ALL_a.mp4", true},
      {{"-p", "0"}, "ALL_a.avi", false},
      {{"-p", "32", "--no-chapters"}, "ALL_a.mkv", false},
  };
  const std::vector<std::string> sources = {Source("a.avi"), Source("second part.mkv", "160x120", 2),
                                            Source("c.mp4", "176x144")};
  // The running sums of the sources' durations as ffprobe gives them.
  std::vector<double> starts = {0};
  for (const std::string &source : sources)
    starts.push_back(starts.back() + std::stod(Probe(source, "format=duration")));
  const char *titles[] = {"a", "second part", "c"};
  for (const Case &c : cases) {
    const std::string folder = dir.file("out" + std::to_string(&c - cases));
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-o", folder});
    args.insert(args.end(), sources.begin(), sources.end());
    const ToolRun run = RunJoin(args);
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<Chapter> chapters = Chapters(folder + "/" + c.output);
    if (!c.chapters) {
      EXPECT_TRUE(chapters.empty()) << c.output;
      continue;
    }
    ASSERT_EQ(chapters.size(), 3u) << c.output;
    for (std::size_t i = 0; i < chapters.size(); ++i) {
      EXPECT_NEAR(chapters[i].start, starts[i], 0.04) << c.output << " " << i;  // one frame at 25/s
      EXPECT_EQ(chapters[i].title, titles[i]) << c.output;
    }
    EXPECT_NEAR(chapters.back().end, starts.back(), 0.04) << c.output;
  }
}

// One grey picture of an output at `seconds`, row by row.
struct Picture {
  int width = 0, height = 0;
  std::string luma;
  int At(int x, int y) const { return static_cast<unsigned char>(luma[y * width + x]); }
  double RowMean(int y) const {
    double sum = 0;
    for (int x = 0; x < width; ++x) sum += At(x, y);
    return sum / width;
  }
};
Picture PictureAt(const std::string &path, double seconds, const std::string &raw) {
  Picture picture;
  std::istringstream size(Probe(path, "stream=width,height"));
  size >> picture.width >> picture.height;
  test::RunProgram({"ffmpeg", "-v", "error", "-y", "-ss", std::to_string(seconds), "-i", path,
                    "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "gray", raw},
                   nullptr);
  std::ifstream in(raw, std::ios::binary);
  picture.luma.assign(std::istreambuf_iterator<char>(in), {});
  return picture;
}

TEST_F(JoinTool, PicturesKeepTheirShapeWithBlackBandsOrFillTheFrameWhenStretched) {
  // A white circle on grey in a 16:9 picture, then a grey 4:3 picture.
  const std::string wide = dir.file("wide.mkv");
  fs::copy_file(test::SharedMedia("join-circle-16x9.mkv",
                                  {"-f", "lavfi", "-i",
                                   "color=c=0x808080:s=320x180:r=25:d=1,format=yuv420p,"
                                   "geq=lum='if(lt(hypot(X-W/2,Y-H/2),H/3),235,128)':cb=128:cr=128",
                                   "-f", "lavfi", "-i", "sine=d=1"}),
                wide);
  const std::string narrow = dir.file("narrow.mkv");
  fs::copy_file(test::SharedMedia("join-grey-4x3.mkv",
                                  {"-f", "lavfi", "-i", "color=c=0x808080:s=160x120:r=25:d=1",
                                   "-f", "lavfi", "-i", "sine=d=1"}),
                narrow);
  struct Case {
    std::string fit;
    int band;           // black lines above and below the wide picture
    double roundness;   // the circle's width / height
  };
  // 320x180 in 320x240 at 4:3: a 180-line picture with 30 lines above and below.
  const Case cases[] = {{"pad", 30, 1.0}, {"stretch", 0, 0.75}};
  for (const Case &c : cases) {
    const std::string folder = dir.file(c.fit);
    const ToolRun run = RunJoin({"-p", "0", "--fit", c.fit, "-o", folder, wide, narrow});
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string out = folder + "/ALL_wide.avi";
    const std::string frame = Probe(out, "stream=width,height,display_aspect_ratio");
    EXPECT_EQ(frame.rfind("320\n240\n4:3\n", 0), 0u) << frame;

    const Picture first = PictureAt(out, 0.5, dir.file(c.fit + "-wide.gray"));
    ASSERT_EQ(first.luma.size(), 320u * 240u) << c.fit;
    int top = 0, bottom = 0;
    while (top < first.height && first.RowMean(top) < 40) ++top;
    while (bottom < first.height && first.RowMean(first.height - 1 - bottom) < 40) ++bottom;
    EXPECT_NEAR(top, c.band, 2) << c.fit;
    EXPECT_NEAR(bottom, c.band, 2) << c.fit;
    int left = first.width, right = -1, high = first.height, low = -1;
    for (int y = 0; y < first.height; ++y)
      for (int x = 0; x < first.width; ++x)
        if (first.At(x, y) > 190) {
          left = std::min(left, x), right = std::max(right, x);
          high = std::min(high, y), low = std::max(low, y);
        }
    ASSERT_GT(right, left) << c.fit;
    const double roundness = static_cast<double>(right - left + 1) / (low - high + 1);
    EXPECT_NEAR(roundness, c.roundness, 0.03 * c.roundness) << c.fit;

    // The 4:3 picture fills the frame: grey from the first line to the last.
    const Picture second = PictureAt(out, 1.5, dir.file(c.fit + "-narrow.gray"));
    ASSERT_EQ(second.luma.size(), 320u * 240u) << c.fit;
    for (int y : {0, 1, 238, 239}) EXPECT_GT(second.RowMean(y), 100) << c.fit << " line " << y;
  }
}

// The lines that end each source, in the order of the sources.
std::vector<std::string> DoneLines(const std::string &output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);)
    if (line.find(": done in ") != std::string::npos) lines.push_back(line.substr(0, line.find(" in ")));
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST_F(JoinTool, SourcesConvertedAtOnceGiveTheSameMergeAsOneAtATime) {
  const std::vector<std::string> sources = {Source("a.avi"), Source("b.mkv", "160x120", 2),
                                            Source("c.mp4", "176x144")};
  std::vector<std::string> rows;
  std::string duration;
  for (const char *jobs : {"1", "2", "3"}) {
    const std::string folder = dir.file(std::string("jobs") + jobs);
    std::vector<std::string> args = {"--jobs", jobs, "--threads", jobs, "-o", folder};
    args.insert(args.end(), sources.begin(), sources.end());
    const ToolRun run = RunJoin(args);
    ASSERT_EQ(run.status, 0) << jobs << run.output;  // the output passed its check
    const std::string measured = Probe(folder + "/ALL_a.avi", "format=duration");
    if (rows.empty()) {
      rows = DoneLines(run.output);
      duration = measured;
      EXPECT_EQ(rows.size(), 3u) << run.output;
      continue;
    }
    EXPECT_EQ(DoneLines(run.output), rows) << jobs;
    EXPECT_NEAR(std::stod(measured), std::stod(duration), 0.04) << jobs;
  }
}

TEST_F(JoinTool, ASourceThatFailsWhileOthersRunEndsOnlyItsOwnTask) {
  // An MP4 whose streams are all described but whose data is missing: it
  // opens, and its task ends with nothing encoded.
  const std::string full = test::SharedMedia(
      "join-faststart.mp4", {"-f", "lavfi", "-i", "testsrc2=s=160x120:r=25:d=1", "-f", "lavfi",
                             "-i", "sine=d=1", "-c:v", "mpeg4", "-movflags", "+faststart"});
  std::string bytes;
  {
    std::ifstream in(full, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::size_t data = bytes.find("mdat");
  ASSERT_NE(data, std::string::npos);
  const std::string empty = dir.file("empty.mp4");
  std::ofstream(empty, std::ios::binary) << bytes.substr(0, data + 12);
  const ToolRun run =
      RunJoin({"--jobs", "2", "-o", dir.file("out"), Source("a.avi"), empty, Source("c.avi")});
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_EQ(DoneLines(run.output),
            (std::vector<std::string>{"[1/3] a.avi: done", "[3/3] c.avi: done"}))
      << run.output;
  EXPECT_NE(run.output.find("合并失败：第2个文件转换失败："), std::string::npos) << run.output;
}

TEST_F(JoinTool, MatchingSourcesAreJoinedByCopyingTheirStreams) {
  const std::vector<std::string> sources = {Source("a.mp4"), Source("b.mp4"), Source("c.mp4")};
  std::vector<std::string> args = {"--copy", "-p", "4", "-o", dir.file("out")};
  args.insert(args.end(), sources.begin(), sources.end());
  const ToolRun run = RunJoin(args);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("[copy] joining 3 files without re-encoding"), std::string::npos);
  // No intermediates: the output alone.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("out")), fs::directory_iterator()), 1);
  const std::string out = Out("ALL_a.mp4");
  double sum = 0;
  for (const std::string &source : sources) sum += std::stod(Probe(source, "format=duration"));
  EXPECT_NEAR(std::stod(Probe(out, "format=duration")), sum, 0.05);
  // Each stream's time stamps run on across the joints: rising, and no gap
  // longer than a packet's duration.
  for (const char *stream : {"v", "a"}) {
    std::string text;
    test::RunProgram({"ffprobe", "-v", "error", "-select_streams", stream, "-show_entries",
                      "packet=dts_time,duration_time", "-of", "csv=p=0", out},
                     &text);
    std::istringstream lines(text);
    double previous = -1, previousDuration = 0;
    int packets = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line.empty() || line.find(',') == std::string::npos) continue;  // side data
      const double dts = std::stod(line.substr(0, line.find(',')));
      const double duration = std::stod(line.substr(line.find(',') + 1));
      if (packets > 0) {
        EXPECT_GT(dts, previous) << stream << " packet " << packets;
        EXPECT_LE(dts - previous, previousDuration + 0.002) << stream << " packet " << packets;
      }
      previous = dts;
      previousDuration = duration;
      ++packets;
    }
    EXPECT_GT(packets, 0) << stream;
  }
}

TEST_F(JoinTool, SourcesThatDifferAreNotCopiedOrAreMergedWithCopyAuto) {
  const std::string a = Source("a.mp4");
  const std::string d = Source("d.mp4", "176x144");
  ToolRun run = RunJoin({"--copy", "-p", "4", "-o", dir.file("out"), a, d});
  EXPECT_EQ(run.status, 2) << run.output;
  EXPECT_NE(run.output.find("cannot join without re-encoding: source 2 (d.mp4) differs from the "
                            "first in stream 0's picture size: 176x144, not 160x120"),
            std::string::npos)
      << run.output;
  EXPECT_FALSE(fs::exists(dir.file("out")));  // nothing written
  run = RunJoin({"--copy=auto", "-p", "4", "-o", dir.file("out"), a, d});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("merging with re-encoding instead"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("[join] ended after "), std::string::npos) << run.output;
  EXPECT_TRUE(fs::exists(Out("ALL_a.mp4")));
}

TEST_F(JoinTool, ListsThePresetsAndOnePresetsEntries) {
  ToolRun run = RunJoin({"--list-presets"});
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 45);
  EXPECT_NE(run.output.find(" 0  AVI视频格式 (*.AVI)\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("44  AMR（手机）音频格式 (*.amr)\n"), std::string::npos);
  run = RunJoin({"--list-presets", "0"});
  ASSERT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("  * 528 kbps(中等质量)\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("  * 3  音频质量好\n"), std::string::npos) << run.output;
}

TEST_F(JoinTool, RefusesABadCommandLineWithStatusTwo) {
  const std::string a = Source("a.avi");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"-p", "45", a}, "velmora-join: unknown preset '45'"},
      {{"--video-quality", "529", a},
       "velmora-join: '529' is not an entry of --video-quality for preset 0; its entries are:\n  "
       "128 kbps(超低质量)\n"},
      {{"-p", "35", "--size", "320*240", a},
       "is not an entry of --size for preset 35; its entries are:\n  无\n"},
      {{a, dir.file("missing.avi")}, "velmora-join: no such file: " + dir.file("missing.avi")},
      {{"--bogus", a}, "velmora-join: unknown option '--bogus'"},
      {{"--after", "reboot", a},
       "velmora-join: --after takes none, open or shutdown, not 'reboot'"},
      {{"--fit", "crop", a}, "velmora-join: --fit takes pad or stretch, not 'crop'"},
      {{"--jobs", "0", a}, "velmora-join: --jobs takes a whole number from 1, not '0'"},
      {{"--threads", "1.5", a}, "velmora-join: --threads takes a whole number from 1, not '1.5'"},
      {{}, "velmora-join: no file to join"},
      {{"-o"}, "velmora-join: option '-o' needs a value"},
  };
  for (const Case &c : cases) {
    const ToolRun run = RunJoin(c.args);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("usage: velmora-join"), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(Out("ALL_a.avi")));
}

TEST_F(JoinTool, AFileThatIsNotMediaFailsTheMergeWithStatusOne) {
  const std::string junk = dir.file("junk.avi");
  { std::ofstream(junk) << std::string(4096, 'x'); }
  const ToolRun run = RunJoin({"-o", dir.file("out"), Source("a.avi"), junk});
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("无法识别的音频或视频文件！" + junk), std::string::npos) << run.output;
}

TEST_F(JoinTool, CtrlCDuringTheSourcesStopsLikeAConfirmedStop) {
  // A large frame size keeps the first source busy long after its first
  // progress line, on which the interrupt comes.
  const std::vector<std::string> args = {
      VELMORA_JOIN,   "--size", "1920*1080", "-o", dir.file("out"), Source("a.mpg", "320x240", 20),
      Source("b.avi")};
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(pipeFds[1], STDERR_FILENO);
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    std::vector<char *> argv;
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  std::string output;
  bool interrupted = false;
  char buffer[4096];
  ssize_t got;
  while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
    output.append(buffer, static_cast<std::size_t>(got));
    if (!interrupted && output.find("[1/2] a.mpg: converting") != std::string::npos) {
      kill(child, SIGINT);
      interrupted = true;
    }
  }
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(interrupted) << output;
  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_EQ(WEXITSTATUS(status), 130) << output;
  EXPECT_NE(output.find("[1/2] a.mpg: stopped"), std::string::npos) << output;
  // The intermediate made so far stays (the empty one of the source that
  // never started goes with its task), no final file is made.
  ASSERT_TRUE(fs::exists(Out("a.mpg")));
  EXPECT_GT(fs::file_size(Out("a.mpg")), 0u);
  EXPECT_FALSE(fs::exists(Out("ALL_a.avi")));
}

}  // namespace
}  // namespace velmora
