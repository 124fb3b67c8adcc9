#pragma once

#include "VeskUI/Tokens/Vesk.h"

#include <QString>

namespace vesk {

// A thin dark vertical scroll bar for the settings window's scrolling views, whose
// default one is drawn light.
inline QString darkScrollBarStyle(const QString& view) {
    return view + QStringLiteral(
                      " { background: transparent; border: none; }"
                      "QScrollBar:vertical { background: transparent; width: 10px; margin: 2px; }"
                      "QScrollBar::handle:vertical { background: %1; border-radius: 3px; min-height: 30px; }"
                      "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                      "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
                      .arg(Vesk::Ink::x600.name());
}

} // namespace vesk
