#pragma once

#include <QString>

#include <functional>

namespace vesk {

// The older scratch note: one UTF-8 text file in a container folder, with a ".bak" copy
// of the text last loaded. The program keeps notes in the synced store; this fixes the
// file's format for the one-time import. One thread.
class NoteStore {
public:
    NoteStore(const QString& containerName, const QString& fileName);

    const QString& text() const { return m_text; }
    const QString& url() const { return m_url; }
    const QString& backupURL() const { return m_backupURL; }
    // The note file is gone but its backup is there.
    bool recoveredFromBackup() const;

    std::function<void(const QString&)> onChange;

    void save(const QString& text);

private:
    void load();

    QString m_url;
    QString m_backupURL;
    QString m_text;
};

} // namespace vesk
