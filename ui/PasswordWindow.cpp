#include "ui/PasswordWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>


namespace velmora {

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

}  // namespace

TPasswordWindow::TPasswordWindow(TForm5 &form, QWidget *parent) : QDialog(parent), form_(form) {
  setObjectName("TForm5");
  setWindowTitle(Q(form.Caption));
  setModal(true);
  // No close button in the frame: the lock cannot be skipped.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto *layout = new QVBoxLayout(this);
  auto *label = new QLabel(Q(form.Label1.Caption));
  label->setObjectName(Q(form.Label1.Name));
  layout->addWidget(label);
  edit_ = new QLineEdit;
  edit_->setObjectName(Q(form.suiEdit1.Name));
  edit_->setEchoMode(QLineEdit::Password);
  layout->addWidget(edit_);
  auto *buttons = new QHBoxLayout;
  auto *ok = new QPushButton(Q(form.btnOk.Caption));
  ok->setObjectName(Q(form.btnOk.Name));
  ok->setDefault(true);
  auto *quit = new QPushButton(Q(form.btnQuit.Caption));
  quit->setObjectName(Q(form.btnQuit.Name));
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(quit);
  layout->addLayout(buttons);
  connect(edit_, &QLineEdit::textEdited, this,
          [this](const QString &text) { form_.SetPassword(text.toStdString()); });
  connect(ok, &QPushButton::clicked, this, [this] { form_.btnOkClick(); });
  connect(quit, &QPushButton::clicked, this, [this] { form_.btnQuitClick(); });
  setMinimumWidth(320);
  refresh_ = std::make_unique<TFormRefresh>(*this, form_, [this] { Mirror(); });
}

void TPasswordWindow::showEvent(QShowEvent *event) {
  form_.FormShow();
  refresh_->Now();
  QDialog::showEvent(event);
}

void TPasswordWindow::closeEvent(QCloseEvent *event) {
  if (form_.MayClose())
    QDialog::closeEvent(event);
  else
    event->ignore();
}

void TPasswordWindow::reject() {
  if (form_.MayClose()) QDialog::reject();
}

void TPasswordWindow::Mirror() {
  skinView_.Mirror(*this, form_.Skin);
  if (edit_->text().toStdString() != form_.suiEdit1.Text) edit_->setText(Q(form_.suiEdit1.Text));
  if (form_.Outcome() != TLockOutcome::Waiting && isVisible())
    QMetaObject::invokeMethod(this, [this] { done(0); }, Qt::QueuedConnection);
}

}  // namespace velmora
