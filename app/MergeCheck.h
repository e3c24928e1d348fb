#pragma once
// What the check of a merge's output expects of it, and its result in the
// user's words.
#include <string>
#include <vector>

#include "app/SourceMedia.h"
#include "converter/OptionRecords.h"
#include "media/MergedFileCheck.h"

namespace velmora {

// The streams and codecs the final record asks for at `path`, and the
// sources' durations. The codec libraries must be loaded.
TMergeExpectation ExpectedOutput(const TOutputOptions &final, const std::string &path,
                                 const std::vector<TSourceMedia> &sources);

// Why a check failed.
std::string CheckFailureText(const TMergeCheckReport &report);
// A passed check: the file, its duration and its size.
std::string CheckPassedText(const std::string &path, const TMergeCheckReport &report);

}  // namespace velmora
