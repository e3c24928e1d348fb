#include "ui/QtApplication.h"

#include <QStyleFactory>

#include "app/Application.h"

namespace velmora {

TQtApplication::TQtApplication(int &argc, char **argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromStdString(TApplication::Instance().Title));
  if (QStyle *fusion = QStyleFactory::create("Fusion")) setStyle(fusion);
}

bool TQtApplication::notify(QObject *receiver, QEvent *event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    TApplication::Instance().HandleException(std::current_exception());
    return false;
  }
}

}  // namespace velmora
