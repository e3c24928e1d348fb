// The preview window's owner: captions, the first-picture window, closing.
#include <gtest/gtest.h>

#include <limits>

#include "media/Previewer.h"

namespace velmora {
namespace {

TEST(Previewer, CaptionsShowTheTimeOrNA) {
  struct Case {
    std::int64_t pts;
    const char *caption;
  };
  const Case cases[] = {{std::numeric_limits<std::int64_t>::min(), "N/A"},
                        {0, "00:00:00.000"},
                        {3723456789, "01:02:03.456"}};
  for (const Case &c : cases) EXPECT_EQ(PreviewCaption(c.pts), c.caption) << c.pts;
}

struct Window : IPreviewWindow {
  std::vector<std::string> *calls = nullptr;
  void Show(int w, int h) override { calls->push_back("show " + std::to_string(w) + "x" + std::to_string(h)); }
  void SetCaption(const std::string &caption) override { calls->push_back(caption); }
  void Paint(const TBitmap &) override { calls->push_back("paint"); }
  ~Window() override { calls->push_back("freed"); }
};

TEST(Previewer, OneWindowUntilTheUserClosesIt) {
  std::vector<std::string> calls;
  std::function<void()> close;
  SetPreviewWindowFactory([&](std::function<void()> closed) {
    close = std::move(closed);
    auto window = std::make_unique<Window>();
    window->calls = &calls;
    return window;
  });
  TBitmap bitmap;
  bitmap.SetSize(4, 2);
  {
    TPreviewer previewer;
    EXPECT_TRUE(previewer.ShowFrame(bitmap, 1, 0));
    EXPECT_TRUE(previewer.ShowFrame(bitmap, 2, 40000));
    close();
    EXPECT_FALSE(previewer.ShowFrame(bitmap, 3, 80000));
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"show 4x2", "00:00:00.000", "paint",
                                             "00:00:00.040", "paint", "freed"}));
  // Without a window factory nothing can be shown.
  SetPreviewWindowFactory(nullptr);
  TPreviewer headless;
  EXPECT_FALSE(headless.ShowFrame(bitmap, 1, 0));
}

}  // namespace
}  // namespace velmora
