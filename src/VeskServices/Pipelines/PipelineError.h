#pragma once

#include <QString>

#include <variant>

namespace vesk {

// The one error of the drop pipelines, with its message for the user.
struct PipelineError {
    enum class Kind { readFailed, writeFailed, toolFailed, unsupported, noInput };

    Kind kind = Kind::noInput;
    // The file's name (read and write failures) or the message (tool failures).
    QString payload;

    static PipelineError readFailed(QString name) { return {Kind::readFailed, std::move(name)}; }
    static PipelineError writeFailed(QString name) { return {Kind::writeFailed, std::move(name)}; }
    static PipelineError toolFailed(QString message) { return {Kind::toolFailed, std::move(message)}; }
    static PipelineError unsupported() { return {Kind::unsupported, {}}; }
    static PipelineError noInput() { return {Kind::noInput, {}}; }

    QString errorDescription() const;

    friend bool operator==(const PipelineError&, const PipelineError&) = default;
};

// A file-system failure (creating a folder, copying), shown with its own description.
struct FileSystemError {
    QString description;
    friend bool operator==(const FileSystemError&, const FileSystemError&) = default;
};

using PipelineFailure = std::variant<PipelineError, FileSystemError>;

// What the user reads for a failure.
QString message(const PipelineFailure& failure);

// Thrown inside a run that noticed the runner stopping; never reaches the user.
struct PipelineStopped {};

} // namespace vesk
