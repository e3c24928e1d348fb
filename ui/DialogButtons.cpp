#include "ui/DialogButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace velmora {

QLayout *AcceptButtonRow(QDialog &dialog, const TButtonState &button) {
  auto *accept = new QPushButton(QString::fromStdString(button.Caption));
  accept->setObjectName(QString::fromStdString(button.Name));
  accept->setDefault(true);
  QObject::connect(accept, &QPushButton::clicked, &dialog, &QDialog::accept);
  auto *row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(accept);
  return row;
}

}  // namespace velmora
