#pragma once

#include "VeskUI/Symbols/SymbolCanvas.h"

#include <QStringView>

#include <span>

namespace vesk::symbols {

using DrawFn = void (*)(SymbolCanvas&);

// How one system-symbol name is drawn: an icon of the icon theme (its name without
// the "-symbolic" suffix), our own drawing, or our drawing over the theme icon.
struct SymbolEntry {
    QStringView name;
    QStringView themeIcon;
    DrawFn draw = nullptr;
};

// Every system-symbol name the product shows, each once.
std::span<const SymbolEntry> symbolTable();
const SymbolEntry* findSymbol(QStringView name);

} // namespace vesk::symbols
