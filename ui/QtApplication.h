#pragma once
// The window program's Qt application. Its name is the application's title;
// every window uses the same base style, so that the skins look alike on
// every desktop; and an error that escapes an event handler goes to the
// application's error routing (the main window's error box) instead of
// ending the program.
#include <QApplication>

namespace velmora {

class TQtApplication : public QApplication {
 public:
  TQtApplication(int &argc, char **argv);
  bool notify(QObject *receiver, QEvent *event) override;
};

}  // namespace velmora
