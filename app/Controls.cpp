#include "app/Controls.h"

namespace velmora {

void TComboBoxState::Clear() {
  Items.clear();
  ItemIndex = -1;
  Text.clear();
}

void TComboBoxState::Fill(const std::vector<std::string> &items, int index) {
  Items = items;
  Select(index);
}

void TComboBoxState::Select(int index) {
  if (index >= 0 && index < static_cast<int>(Items.size())) {
    ItemIndex = index;
    Text = Items[index];
  } else {
    ItemIndex = -1;
    Text.clear();
  }
}

void TMemoState::Clear() {
  Lines.clear();
  ++Clears;
}

std::string TMemoState::Text() const {
  std::string text;
  for (const std::string &line : Lines) {
    text += line;
    text += '\n';
  }
  return text;
}

int TListViewState::AddRow(std::vector<std::string> texts) {
  texts.resize(Columns.size());
  Rows.push_back({std::move(texts), -1});
  return RowCount() - 1;
}

namespace {

// A row mark after `deleted` was taken out.
int MarkAfterDelete(int mark, int deleted) {
  if (mark == deleted) return -1;
  return mark > deleted ? mark - 1 : mark;
}

}  // namespace

void TListViewState::DeleteRow(int row) {
  if (!ValidRow(row)) return;
  Rows.erase(Rows.begin() + row);
  Selected = MarkAfterDelete(Selected, row);
  Focused = MarkAfterDelete(Focused, row);
}

void TListViewState::Clear() {
  Rows.clear();
  Selected = -1;
  Focused = -1;
}

void TListViewState::SelectAndFocus(int row) {
  Selected = ValidRow(row) ? row : -1;
  Focused = Selected;
  ++FocusRequests;
}

}  // namespace velmora
