#include "ui/QtPlatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include "libav/MainThread.h"

namespace velmora {

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

struct TButtonChoice {
  TMsgButtons Buttons;
  QMessageBox::StandardButtons Standard;
};
const TButtonChoice kButtonChoices[] = {
    {TMsgButtons::Ok, QMessageBox::Ok},
    {TMsgButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel},
    {TMsgButtons::YesNo, QMessageBox::Yes | QMessageBox::No},
    {TMsgButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
};

struct TIconChoice {
  TMsgIcon Icon;
  QMessageBox::Icon Standard;
};
const TIconChoice kIconChoices[] = {
    {TMsgIcon::None, QMessageBox::NoIcon},          {TMsgIcon::Information, QMessageBox::Information},
    {TMsgIcon::Warning, QMessageBox::Warning},      {TMsgIcon::Error, QMessageBox::Critical},
    {TMsgIcon::Question, QMessageBox::Question},
};

struct TAnswerChoice {
  QMessageBox::StandardButton Standard;
  TMsgAnswer Answer;
};
const TAnswerChoice kAnswerChoices[] = {
    {QMessageBox::Ok, TMsgAnswer::Ok},
    {QMessageBox::Yes, TMsgAnswer::Yes},
    {QMessageBox::No, TMsgAnswer::No},
};

template <typename Result>
Result OnGuiThread(const std::function<Result()> &call) {
  if (QThread::currentThread() == qApp->thread()) return call();
  Result result{};
  TMainThread::Synchronize([&] { result = call(); });
  return result;
}

TMsgAnswer ShowMessageBox(const std::string &text, const std::string &caption,
                          TMsgButtons buttons, TMsgIcon icon) {
  QMessageBox box(QApplication::activeWindow());
  box.setText(Q(text));
  box.setWindowTitle(Q(caption));
  for (const TButtonChoice &choice : kButtonChoices)
    if (choice.Buttons == buttons) box.setStandardButtons(choice.Standard);
  for (const TIconChoice &choice : kIconChoices)
    if (choice.Icon == icon) box.setIcon(choice.Standard);
  const int pressed = box.exec();
  for (const TAnswerChoice &choice : kAnswerChoices)
    if (pressed == choice.Standard) return choice.Answer;
  // Closed without a choice: the box's last button.
  return buttons == TMsgButtons::Ok ? TMsgAnswer::Ok
         : buttons == TMsgButtons::YesNo ? TMsgAnswer::No
                                          : TMsgAnswer::Cancel;
}

}  // namespace

QStringList NameFilters(const std::vector<TFileFilter> &filters) {
  QStringList names;
  for (const TFileFilter &filter : filters) {
    QStringList masks;
    for (const std::string &mask : filter.Masks) masks << Q(mask);
    names << Q(filter.Description) + " (" + masks.join(' ') + ")";
  }
  return names;
}

TMsgAnswer TQtPlatform::MessageBox(const std::string &text, const std::string &caption,
                                   TMsgButtons buttons, TMsgIcon icon) {
  return OnGuiThread<TMsgAnswer>([&] { return ShowMessageBox(text, caption, buttons, icon); });
}

std::vector<std::string> TQtPlatform::OpenFiles(const TOpenDialogSpec &spec) {
  return OnGuiThread<std::vector<std::string>>([&] {
    QFileDialog dialog(QApplication::activeWindow(), "打开");
    dialog.setObjectName(Q(spec.Name));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(spec.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    // The descriptions already show their masks.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = NameFilters(spec.Filters);
    dialog.setNameFilters(filters);
    if (spec.FilterIndex >= 0 && spec.FilterIndex < filters.size())
      dialog.selectNameFilter(filters[spec.FilterIndex]);
    std::vector<std::string> paths;
    if (dialog.exec() != QDialog::Accepted) return paths;
    for (const QString &file : dialog.selectedFiles()) paths.push_back(file.toStdString());
    return paths;
  });
}

std::optional<std::string> TQtPlatform::ChooseFolder(const std::string &title) {
  return OnGuiThread<std::optional<std::string>>([&]() -> std::optional<std::string> {
    const QString folder = QFileDialog::getExistingDirectory(
        QApplication::activeWindow(), Q(title), QString(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return std::nullopt;
    return folder.toStdString();
  });
}

bool TQtPlatform::ShellOpen(const std::string &target) {
  return OnGuiThread<bool>([&] { return QDesktopServices::openUrl(DesktopUrl(target)); });
}

QUrl DesktopUrl(const std::string &target) {
  // Web and mail addresses as they are; anything else names a local file.
  for (const char *scheme : {"http://", "https://", "mailto:"})
    if (target.rfind(scheme, 0) == 0) return QUrl(Q(target), QUrl::StrictMode);
  return QUrl::fromLocalFile(Q(target));
}

bool TQtPlatform::Shutdown() {
  // Power off at once; programs that would delay it are not asked.
  return QProcess::execute("systemctl", {"poweroff", "--ignore-inhibitors"}) == 0;
}

void TQtPlatform::PostToGuiThread(std::function<void()> call) {
  QMetaObject::invokeMethod(qApp, std::move(call), Qt::QueuedConnection);
}

void InstallMainThreadHandOver() {
  TMainThread::Init();
  TMainThread::SetWakeUpHook([] {
    QMetaObject::invokeMethod(
        qApp, [] { TMainThread::ProcessPendingCalls(); }, Qt::QueuedConnection);
  });
}

}  // namespace velmora
