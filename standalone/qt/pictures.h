#pragma once

// The pictures the dialogs and list views show, drawn with QPainter so that no image file has
// to travel with the tool.

#include <QPixmap>
#include <string_view>

namespace ridirodev::qt {

// A square picture of the given side for one of the keys "Closed", "Open", "XClosed", "XOpen"
// (the greyed folders), "Down", "Count", "XReport", "FieldIcon" and "FieldKey". An unknown key
// gives an empty (transparent) picture.
QPixmap DrawPicture(std::string_view key, int size);

}  // namespace ridirodev::qt
