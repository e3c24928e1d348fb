#pragma once
// What the form models need of the desktop, behind one interface: message
// boxes, file and folder dialogs, opening a file or folder with the desktop's
// default program, shutting the computer down, and carrying a call over to
// the GUI thread. The windows get a Qt implementation, the tests a scripted
// one; nothing here shows anything by itself.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

enum class TMsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class TMsgIcon { None, Information, Warning, Error, Question };
enum class TMsgAnswer { Ok, Cancel, Yes, No };

// One entry of a file dialog's type list: the text shown and its masks
// ("*.avi", "*.*").
struct TFileFilter {
  std::string Description;
  std::vector<std::string> Masks;
  bool operator==(const TFileFilter &) const = default;
};

// How an open-file dialog is shown.
struct TOpenDialogSpec {
  std::string Name;  // the dialog's name on the form ("OpenDialog1")
  std::vector<TFileFilter> Filters;
  int FilterIndex = 0;  // the entry selected when the dialog opens
  bool MultiSelect = false;
  bool FileMustExist = true;
};

class TPlatform {
 public:
  virtual ~TPlatform() = default;

  // Shows a modal message box and returns the button pressed (closing the
  // box counts as its last button: Ok, Cancel or No).
  virtual TMsgAnswer MessageBox(const std::string &text, const std::string &caption,
                                TMsgButtons buttons, TMsgIcon icon) = 0;
  // Shows an open-file dialog; the chosen paths in the order the dialog gives
  // them, at most one without MultiSelect, none when cancelled.
  virtual std::vector<std::string> OpenFiles(const TOpenDialogSpec &dialog) = 0;
  // Shows a folder chooser; the folder, or nothing when cancelled.
  virtual std::optional<std::string> ChooseFolder(const std::string &title) = 0;
  // Opens a file or folder with the desktop's default program; false when
  // that could not be started.
  virtual bool ShellOpen(const std::string &target) = 0;
  // Powers the computer off at once; false when the request was refused.
  virtual bool Shutdown() = 0;
  // Runs `call` later on the GUI thread; callable from any thread.
  virtual void PostToGuiThread(std::function<void()> call) = 0;
};

}  // namespace velmora
