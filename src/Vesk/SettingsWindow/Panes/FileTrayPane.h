#pragma once

#include "VeskKit/Settings/SettingsTable.h"

#include <QWidget>

namespace vesk {

class SettingsStore;

// What switching one pipeline on or off stores.
struct PipelineSwitch {
    PipelineOrder order;
    // The last pipeline went off: the lanes as a whole go off and it keeps its place.
    bool switchMasterOff = false;

    bool operator==(const PipelineSwitch&) const = default;
};

// Whether a pipeline's lane is offered under the stored order (empty: all of them).
bool isPipelineOn(const PipelineOrder& stored, PipelineID pipeline);
// Switches a pipeline on (appended last) or off in the stored order, an empty one
// standing for all eight in declaration order.
PipelineSwitch setOn(const PipelineOrder& stored, PipelineID pipeline, bool on);

QWidget* makeFileTrayPane(SettingsStore& settings);

} // namespace vesk
