#pragma once
// The state of a window's controls, kept without any GUI toolkit: a form
// model owns one of these per control under the control's name, its handlers
// read and write them, and a view mirrors them into real widgets.
#include <string>
#include <vector>

namespace velmora {

struct TControl {
  explicit TControl(std::string name, bool visible = true)
      : Name(std::move(name)), Visible(visible) {}

  std::string Name;
  bool Visible = true;
  bool Enabled = true;
};

// Buttons, tool buttons and menu entries.
struct TButtonState : TControl {
  TButtonState(std::string name, std::string caption, bool visible = true,
               std::string hint = {})
      : TControl(std::move(name), visible), Caption(std::move(caption)), Hint(std::move(hint)) {}
  std::string Caption;
  std::string Hint;  // shown in the status bar while the mouse is over it
  bool Separator = false;
};

struct TCheckBoxState : TControl {
  TCheckBoxState(std::string name, std::string caption, bool checked, bool visible = true)
      : TControl(std::move(name), visible), Caption(std::move(caption)), Checked(checked) {}
  std::string Caption;
  bool Checked;
};

// A drop-down list: its entries, the selected index (-1 none) and the text
// shown in its edit part.
struct TComboBoxState : TControl {
  using TControl::TControl;
  std::vector<std::string> Items;
  int ItemIndex = -1;
  std::string Text;

  void Clear();
  // Replaces the entries and selects `index` (-1: none).
  void Fill(const std::vector<std::string> &items, int index);
  // Selects `index`; an index outside the entries selects nothing.
  void Select(int index);
};

// A group of radio buttons with one selected entry.
struct TRadioGroupState : TControl {
  TRadioGroupState(std::string name, std::string caption, std::vector<std::string> items,
                   int index, bool visible = true)
      : TControl(std::move(name), visible),
        Caption(std::move(caption)),
        Items(std::move(items)),
        ItemIndex(index) {}
  std::string Caption;
  std::vector<std::string> Items;
  int ItemIndex;
};

struct TEditState : TControl {
  using TControl::TControl;
  std::string Text;
  bool ReadOnly = false;
};

struct TLabelState : TControl {
  TLabelState(std::string name, std::string caption, bool visible = true)
      : TControl(std::move(name), visible), Caption(std::move(caption)) {}
  std::string Caption;
};

struct TProgressBarState : TControl {
  using TControl::TControl;
  int Min = 0;
  int Max = 100;
  int Position = 0;
  bool ShowCaption = true;
};

// A multi-line text box, one entry per line.
struct TMemoState : TControl {
  using TControl::TControl;
  std::vector<std::string> Lines;
  int Clears = 0;  // counts Clear(), so that a view sees a cleared memo

  // Empties the memo; clear it only this way.
  void Clear();
  // The lines joined by line breaks.
  std::string Text() const;
};

struct TStatusBarState : TControl {
  using TControl::TControl;
  std::string SimpleText;
};

// A report-style list: column headers with widths, rows of column texts
// (column 0 is the row's caption), a progress value per row for a column
// drawn as a bar, one selected row and one row with the focus mark.
struct TListColumn {
  std::string Caption;
  int Width;
};

struct TListRow {
  std::vector<std::string> Columns;
  int Progress = -1;  // the bar column's value, 0..100; -1: no bar drawn
  int ImageIndex = -1;  // the row's picture in an icon view; -1: none
};

struct TListViewState : TControl {
  TListViewState(std::string name, std::vector<TListColumn> columns, int progressColumn)
      : TControl(std::move(name)), Columns(std::move(columns)), ProgressColumn(progressColumn) {}
  std::vector<TListColumn> Columns;
  int ProgressColumn;  // -1: none
  std::vector<TListRow> Rows;
  int Selected = -1;
  int Focused = -1;
  // Counts the handlers' requests to give the list the input focus; a view
  // focuses the list when the count has grown since it last looked.
  int FocusRequests = 0;

  int RowCount() const { return static_cast<int>(Rows.size()); }
  bool ValidRow(int row) const { return row >= 0 && row < RowCount(); }
  // Appends a row with one text per column ("" where none is given).
  int AddRow(std::vector<std::string> texts);
  // Deletes the row; the selection and focus mark follow the rows behind it
  // and are dropped when they were on the deleted row.
  void DeleteRow(int row);
  void Clear();
  // Selects the row, gives it the focus mark and asks for the input focus.
  void SelectAndFocus(int row);
};

}  // namespace velmora
