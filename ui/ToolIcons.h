#pragma once
// The tool bar's pictures: plain line drawings in the colour of the tool
// button's text, so that they read on every skin's tool bar, light or dark.
#include <QColor>
#include <QIcon>
#include <string>

namespace velmora {

bool HasToolIcon(const std::string &buttonName);
// The picture of a tool button, drawn with `ink` (and `disabledInk` for the
// unavailable button) at `size` pixels.
QIcon ToolIcon(const std::string &buttonName, const QColor &ink, const QColor &disabledInk,
               int size);

}  // namespace velmora
