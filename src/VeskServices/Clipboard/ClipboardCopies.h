#pragma once

#include <QString>

namespace vesk {

// Which copies of the program use the clipboard history's folder now (one user may run
// one copy per display). Each copy holds a lock on a small file of its own there while
// it runs; a file whose lock is free was left by a copy that ended and goes. A copy
// deletes image files only while it is alone, so no copy deletes an image another
// running copy still lists; what is left is swept by the next copy that starts alone.
class ClipboardCopies {
public:
    explicit ClipboardCopies(QString folder);
    ~ClipboardCopies();
    ClipboardCopies(const ClipboardCopies&) = delete;
    ClipboardCopies& operator=(const ClipboardCopies&) = delete;

    // True when no other running copy uses the folder.
    bool alone() const;

private:
    QString m_folder;
    QString m_path;
    int m_fd = -1;
};

} // namespace vesk
