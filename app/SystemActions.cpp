// What the main window asks of the system: the output folder (choosing it,
// opening it), shutting the computer down, and registering the script
// source library.
#include <filesystem>

#include "app/MainForm.h"

namespace velmora {

namespace {

constexpr const char *kClassesRoot = "HKEY_CLASSES_ROOT";
constexpr const char *kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr const char *kScriptClassId = "{E6D6B700-124D-11D4-86F3-DB80AFD98778}";
constexpr const char *kSourceFilterId = "{D3588AB0-0781-11CE-B03A-0020AF0BA770}";

// Where a registration value starts: the text alone, or the program folder
// (without or with a final separator) followed by the text.
enum class TDataBase { Text, Folder, FolderWithSeparator };

struct TRegistration {
  const char *Root;
  std::string KeyPath;
  const char *ValueName;  // "": the key's unnamed value
  TDataBase Base;
  std::string Text;
};

// Written in this order.
const std::vector<TRegistration> &Registrations() {
  using B = TDataBase;
  const std::string clsid = kScriptClassId;
  const std::string icon = "LibAV/AviSynth.dll,0";
  static const std::vector<TRegistration> table = {
      {kClassesRoot, "\\avsfile", "", B::Text, "AviSynth Script"},
      {kClassesRoot, "\\avsfile\\DefaultIcon", "", B::FolderWithSeparator, icon},
      {kClassesRoot, "\\CLSID\\" + clsid + "\\InProcServer32", "", B::Text, "AviSynth.dll"},
      {kClassesRoot, "\\CLSID\\" + clsid + "\\InProcServer32", "ThreadingModel", B::Text,
       "Apartment"},
      {kClassesRoot, "\\avifile\\Extensions\\AVS", "", B::Text, clsid},
      {kClassesRoot, "\\Media Type\\Extensions\\.avs", "Source Filter", B::Text, kSourceFilterId},
      {kClassesRoot, "\\Media Type\\Extensions\\.avs", "Source Filter", B::Text, kSourceFilterId},
      {kLocalMachine, "\\SOFTWARE\\AviSynth", "", B::Folder, ""},
      {kLocalMachine, "\\SOFTWARE\\AviSynth", "plugindir2_5", B::FolderWithSeparator, "LibAV"},
      {kLocalMachine, "\\SOFTWARE\\Classes\\.avs", "", B::Text, "avsfile"},
      {kLocalMachine, "\\SOFTWARE\\Classes\\avsfile", "", B::Text, "AviSynth Script"},
      {kLocalMachine, "\\SOFTWARE\\Classes\\AVIFile\\Extensions\\avs", "", B::Text, clsid},
      {kLocalMachine, "\\SOFTWARE\\Classes\\avsfile\\DefaultIcon", "", B::FolderWithSeparator,
       icon},
      {kLocalMachine, "\\SOFTWARE\\Classes\\CLSID\\" + clsid, "", B::Text, "AviSynth"},
      {kLocalMachine, "\\SOFTWARE\\Classes\\CLSID\\" + clsid + "\\InProcServer32", "", B::Text,
       "AviSynth.dll"},
      {kLocalMachine, "\\SOFTWARE\\Classes\\CLSID\\" + clsid + "\\InProcServer32",
       "ThreadingModel", B::Text, "Apartment"},
      {kLocalMachine, "\\SOFTWARE\\Classes\\Media Type\\Extensions\\.avs", "Source Filter",
       B::Text, kSourceFilterId},
  };
  return table;
}

std::string RegistrationData(const TRegistration &entry, const std::string &folder) {
  switch (entry.Base) {
    case TDataBase::Folder:
      return folder + entry.Text;
    case TDataBase::FolderWithSeparator:
      return (std::filesystem::path(folder) / entry.Text).string();
    case TDataBase::Text:
      break;
  }
  return entry.Text;
}

}  // namespace

TRegistrationResult TForm1::Button24Click() {
  TChange change(*this);
  for (const TRegistration &entry : Registrations()) {
    if (!registry_.WriteString(entry.Root, entry.KeyPath, entry.ValueName,
                               RegistrationData(entry, files_.ProgramFolder)))
      return {false, registry_.LastError()};
  }
  return {true, {}};
}

bool TForm1::Button20Click() {
  std::string folder;
  {
    TChange change(*this);
    folder = suiEdit1.Text;
  }
  return platform_.ShellOpen(folder);
}

void TForm1::suiButton11Click() {
  if (Button20Click()) return;
  std::string folder;
  {
    TChange change(*this);
    folder = suiEdit1.Text;
  }
  platform_.MessageBox("无法打开文件夹：" + folder, "错误", TMsgButtons::Ok, TMsgIcon::Error);
}

bool TForm1::Button18Click() { return platform_.Shutdown(); }

void TForm1::SetOutputFolder(const std::string &folder) {
  TChange change(*this);
  suiEdit1.Text = folder;
  OutputFolder = folder;
}

void TForm1::suiButton3Click() {
  const std::optional<std::string> folder = platform_.ChooseFolder("选择输出文件存放目录");
  if (!folder) return;
  SetOutputFolder(*folder);
  std::error_code error;
  if (std::filesystem::is_directory(*folder, error)) StoreOutputFolder(*folder);
}

}  // namespace velmora
