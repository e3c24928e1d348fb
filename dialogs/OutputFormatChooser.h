#pragma once
// The first window of the advanced-options wizard, "选择转换格式": the 38
// output types as large icons. The chosen type goes into the main window's
// ChosenTypeNumber; "下一步" hides this window and opens the advanced
// options dialog. Used on the GUI thread only.
#include <functional>
#include <string>

#include "app/Controls.h"
#include "app/MainForm.h"
#include "app/Platform.h"
#include "dialogs/DialogWindow.h"

namespace velmora {

// The icons of the chooser's entries are this many pixels square.
inline constexpr int kTypeIconSize = 60;

class TForm7 : public TDialogWindow {
 public:
  // Runs FormCreate.
  TForm7(TForm1 &mainForm, TPlatform &platform);

  std::string Caption = "选择转换格式";
  TLabelState Label1{"Label1", "请选择您要转换的影片格式："};
  // Large-icon list: each row has its caption and its image index.
  TListViewState suiListView1{"suiListView1", {}, -1};
  TButtonState suiButton1{"suiButton1", "下一步"};
  TButtonState suiButton2{"suiButton2", "取消"};

  // Opens the advanced options dialog; set by whoever puts the wizard
  // together (null: "下一步" only hides this window).
  std::function<void()> OnShowOptions;

  // Shows the window: FormShow.
  void Show();
  // Closes it (the main window repaints itself when the chooser goes).
  void Close();
  // Shows it again as it was, without FormShow (back from the options dialog).
  void ShowAgain();

  void FormCreate();
  void Button2Click();  // fill the list
  void FormShow();
  void Button8Click();  // select the entry of the main window's preset
  // The user (or code) selects an entry (-1: clears the selection).
  void Select(int entry);
  void suiListView1SelectItem();
  void suiButton1Click();  // "下一步"
  void suiListView1DblClick();
  void suiButton2Click();  // "取消"

 private:
  TForm1 &main_;
  TPlatform &platform_;
};

}  // namespace velmora
