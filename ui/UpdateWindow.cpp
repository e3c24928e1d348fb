#include "ui/UpdateWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

QLabel *Label(const TLabelState &state) {
  auto *label = new QLabel(Q(state.Caption));
  label->setObjectName(Q(state.Name));
  label->setWordWrap(true);
  return label;
}

QPushButton *Button(const TButtonState &state) {
  auto *button = new QPushButton(Q(state.Caption));
  button->setObjectName(Q(state.Name));
  return button;
}

}  // namespace

TUpdateWindow::TUpdateWindow(TForm6 &form, QWidget *parent) : QDialog(parent), form_(form) {
  setObjectName("TForm6");
  setWindowTitle(Q(form.Caption));
  setModal(true);
  auto *layout = new QVBoxLayout(this);
  for (const TLabelState *line : {&form.Label1, &form.Label2, &form.Label3})
    layout->addWidget(Label(*line));
  status_ = Label(form.lblStatus);
  layout->addWidget(status_);
  bar_ = new QProgressBar;
  bar_->setObjectName(Q(form.ProgressBar1.Name));
  layout->addWidget(bar_);
  messages_ = new QPlainTextEdit;
  messages_->setObjectName(Q(form.Memo1.Name));
  messages_->setReadOnly(true);
  messages_->setMinimumHeight(160);
  layout->addWidget(messages_);
  auto *buttons = new QHBoxLayout;
  check_ = Button(form.btnCheck);
  download_ = Button(form.btnDownload);
  back_ = Button(form.btnBack);
  buttons->addStretch();
  for (QPushButton *button : {check_, download_, back_}) buttons->addWidget(button);
  layout->addLayout(buttons);
  connect(check_, &QPushButton::clicked, this, [this] { form_.btnCheckClick(); });
  connect(download_, &QPushButton::clicked, this, [this] { form_.btnDownloadClick(); });
  connect(back_, &QPushButton::clicked, this, [this] { form_.btnBackClick(); });
  resize(520, 380);
  refresh_ = std::make_unique<TFormRefresh>(*this, form_, [this] { Mirror(); });
}

void TUpdateWindow::showEvent(QShowEvent *event) {
  form_.FormShow();
  refresh_->Now();
  QDialog::showEvent(event);
}

// Closing the window ends a running check; the window itself closes at once.
void TUpdateWindow::closeEvent(QCloseEvent *event) {
  form_.btnBackClick();
  QDialog::closeEvent(event);
}

void TUpdateWindow::reject() {
  form_.btnBackClick();
  QDialog::reject();
}

void TUpdateWindow::Mirror() {
  skinView_.Mirror(*this, form_.Skin);
  status_->setText(Q(form_.lblStatus.Caption));
  bar_->setRange(form_.ProgressBar1.Min, form_.ProgressBar1.Max);
  bar_->setValue(form_.ProgressBar1.Position);
  const QString text = Q(form_.Memo1.Text());
  if (messages_->toPlainText() != text) messages_->setPlainText(text);
  check_->setEnabled(form_.btnCheck.Enabled);
  download_->setEnabled(form_.btnDownload.Enabled);
  if (form_.CloseRequested && isVisible())
    QMetaObject::invokeMethod(this, [this] { QDialog::accept(); }, Qt::QueuedConnection);
}

}  // namespace velmora
