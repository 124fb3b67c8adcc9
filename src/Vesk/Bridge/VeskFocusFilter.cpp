#include "Vesk/Bridge/VeskFocusFilter.h"

#include "Vesk/Bridge/FocusFilterBridge.h"

#include <QList>

namespace vesk {

const QList<VeskFocusFilter::Parameter>& VeskFocusFilter::parameters() {
    static const QList<Parameter> list{
        {QStringLiteral("showInNotch"), QStringLiteral("Show a pill when this Focus turns on")},
        {QStringLiteral("modeName"), QStringLiteral("Focus name")},
        {QStringLiteral("symbolName"), QStringLiteral("Focus symbol")},
    };
    return list;
}

VeskFocusFilter::DisplayRepresentation VeskFocusFilter::displayRepresentation() const {
    return {modeName.value_or(QStringLiteral("Focus")),
            showInNotch ? QStringLiteral("Shown in the notch") : QStringLiteral("Hidden")};
}

void VeskFocusFilter::perform() const {
    perform(FocusFilterBridge::shared());
}

void VeskFocusFilter::perform(FocusFilterBridge& bridge) const {
    if (showInNotch)
        bridge.apply(modeName, symbolName);
    else
        bridge.apply(std::nullopt, std::nullopt);
}

} // namespace vesk
