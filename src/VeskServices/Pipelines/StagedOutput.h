#pragma once

#include "VeskServices/Pipelines/OutputRemoval.h"

#include <QString>
#include <QUrl>

namespace vesk {

// One output of a run, written under a hidden name inside the output folder and then
// published under the first free name of uniqueURL's sequence, with a rename that never
// replaces: runs writing into the folder at once never take each other's names. Until
// it is published the temporary is removed when the staged output goes away, so a
// failed or stopped run leaves nothing behind, and while it lives the temporary is
// locked, so no start-up sweep takes it for a leftover.
class StagedOutput {
public:
    // An empty file, an empty folder, or a name (in a hidden folder of its own) where
    // the caller makes a file or folder.
    enum class Kind { file, folder, entry };

    // Creates the hidden temporary for an output to be named name.extension; throws
    // PipelineError::writeFailed with that name when it cannot.
    StagedOutput(QString folder, QString name, QString extension, Kind kind = Kind::file);
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    // Where to write (the file, or the folder to fill).
    const QString& path() const { return m_path; }
    // name.extension, for error messages.
    QString displayName() const;

    // Moves the temporary to its free name and returns it; throws writeFailed.
    QUrl publish();

private:
    QString m_folder;
    QString m_name;
    QString m_extension;
    Kind m_kind;
    QString m_path;
    // The hidden folder an entry is made in.
    QString m_holder;
    bool m_published = false;
    // Open on the temporary, holding its lock (see removeStaleOutputs).
    int m_lock = -1;
};

} // namespace vesk
