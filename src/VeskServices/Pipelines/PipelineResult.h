#pragma once

#include "VeskKit/Pipeline/PipelineID.h"

#include <QList>
#include <QString>
#include <QUrl>

namespace vesk {

// What one successful pipeline run produced.
struct PipelineResult {
    PipelineID pipeline = PipelineID::compressImage;
    QString title;        // the pipeline's title
    QList<QUrl> produced; // in the pipeline's order
    int inputCount = 0;

    // One file: its name; several: "<n> files"; none: the title.
    QString summary() const;

    friend bool operator==(const PipelineResult&, const PipelineResult&) = default;
};

} // namespace vesk
