// Ownership of library objects: both freeing styles, no call into an
// unloaded library, and lending an owned pointer to a T** call.
#include "libav/LibraryPtr.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace velmora {
namespace {

struct Thing {
  int id = 0;
};
std::vector<int> gFreed;
void FreeByObject(Thing *thing) { gFreed.push_back(thing->id); }
void FreeByAddress(Thing **thing) {
  gFreed.push_back((*thing)->id);
  *thing = nullptr;
}
// Replaces what it is given, as av_dict_set does with a null dictionary.
void Replace(Thing **thing, Thing *replacement) { *thing = replacement; }

TEST(LibraryPtr, CallsEitherFreeingStyleOnceAndNeverForNull) {
  gFreed.clear();
  Thing a{1}, b{2};
  {
    LibraryPtr<Thing, &FreeByObject> byObject(&a);
    LibraryPtr<Thing, &FreeByAddress> byAddress(&b);
    LibraryPtr<Thing, &FreeByObject> empty;
  }
  EXPECT_EQ(gFreed, (std::vector<int>{2, 1}));
}

TEST(LibraryPtr, InOutPtrKeepsWhatTheCallLeaves) {
  gFreed.clear();
  Thing first{1}, second{2};
  LibraryPtr<Thing, &FreeByObject> owner(&first);
  Replace(InOutPtr(owner), &second);
  EXPECT_EQ(owner.get(), &second);
  Replace(InOutPtr(owner), nullptr);  // the call took it over
  EXPECT_EQ(owner.get(), nullptr);
  EXPECT_TRUE(gFreed.empty());
}

TEST(LibraryPtr, DictionaryFromPairsKeepsTheOrderAndFreesItself) {
  test::LoadSystemLibraries();
  const DictionaryPtr dictionary = DictionaryFromPairs({{"preset", "fast"}, {"crf", "23"}});
  ASSERT_NE(dictionary, nullptr);
  EXPECT_EQ(ff.av_dict_count(dictionary.get()), 2);
  const AVDictionaryEntry *entry = ff.av_dict_get(dictionary.get(), "", nullptr, AV_DICT_IGNORE_SUFFIX);
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->key, "preset");
  EXPECT_EQ(DictionaryFromPairs({}), nullptr);
}

TEST(LibraryPtr, NothingIsCalledOnceTheLibraryIsUnbound) {
  test::LoadSystemLibraries();
  int notAFrame = 0;
  FramePtr frame(reinterpret_cast<AVFrame *>(&notAFrame));
  TFFmpegLoader::Instance().UnbindLibrary(TLibraryKind::lkAVUtil);
  ASSERT_EQ(ff.av_frame_free, nullptr);
  frame.reset();  // would crash if av_frame_free were called on it
  SUCCEED();
}

}  // namespace
}  // namespace velmora
