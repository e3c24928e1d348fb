#include "ui/ComboBoxMirror.h"

#include <QComboBox>
#include <QStringList>

namespace velmora {

void MirrorComboBox(QComboBox &box, const TComboBoxState &state) {
  QStringList items;
  for (const std::string &item : state.Items) items << QString::fromStdString(item);
  QStringList shown;
  for (int i = 0; i < box.count(); ++i) shown << box.itemText(i);
  if (shown != items) {
    box.clear();
    box.addItems(items);
  }
  box.setCurrentIndex(state.ItemIndex);
}

}  // namespace velmora
