#pragma once
// The type list of the job list's open-file dialogs, written as one filter
// text: description "|" masks "|" description "|" masks ..., the masks of
// one entry separated by ";".
#include <string>
#include <vector>

#include "app/Platform.h"

namespace velmora {

extern const std::string kOpenDialogFilter;

// The entries of a filter text; empty masks are dropped, a description
// without masks is ignored.
std::vector<TFileFilter> ParseDialogFilter(const std::string &text);

}  // namespace velmora
