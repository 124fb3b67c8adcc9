#include "VeskServices/Pipelines/PipelineResult.h"

namespace vesk {

QString PipelineResult::summary() const {
    if (produced.size() == 1) {
        // A folder's URL may end in a slash; its name is still the last component.
        return produced.first().adjusted(QUrl::StripTrailingSlash).fileName();
    }
    if (produced.size() > 1) return QString::number(produced.size()) + QStringLiteral(" files");
    return title;
}

} // namespace vesk
