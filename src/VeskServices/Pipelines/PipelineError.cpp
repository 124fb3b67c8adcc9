#include "VeskServices/Pipelines/PipelineError.h"

namespace vesk {

QString PipelineError::errorDescription() const {
    switch (kind) {
    case Kind::readFailed:
        return QStringLiteral("Couldn't read ") + payload;
    case Kind::writeFailed:
        return QStringLiteral("Couldn't write ") + payload;
    case Kind::toolFailed:
        return payload;
    case Kind::unsupported:
        return QStringLiteral("Those files aren't supported here");
    case Kind::noInput:
        return QStringLiteral("Nothing to work on");
    }
    return {};
}

QString message(const PipelineFailure& failure) {
    if (const auto* error = std::get_if<PipelineError>(&failure)) return error->errorDescription();
    return std::get<FileSystemError>(failure).description;
}

} // namespace vesk
