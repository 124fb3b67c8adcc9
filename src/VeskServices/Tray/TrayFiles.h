#pragma once

#include "VeskServices/Tray/TrayItem.h"

#include <QString>
#include <QUrl>
#include <QUuid>

#include <atomic>
#include <optional>

// The tray's file work. Everything here may run off the main thread; none of it
// touches the store's list.
namespace vesk::tray_files {

// Where older versions cached an item's preview: inside its folder, beside the stored
// copy, which may itself bear this name.
inline constexpr char16_t legacyPreviewName[] = u"thumb.png";

// <root>/<ID in canonical upper-case text>.
QString itemFolder(const QString& root, const QUuid& id);
// Previews are cached apart from the item folders, which hold only what the user gave:
// <root>/.previews/<ID>.png.
QString previewFolder(const QString& root);
QString previewPath(const QString& root, const QUuid& id);
// The name of the stored copy in an item folder: its one entry, whatever its name, or
// the entry beside an older version's preview; absent for anything else.
std::optional<QString> storedEntry(const QString& folder);
// Where a copy is assembled before it becomes <root>/<ID> in one rename.
QString incomingFolder(const QString& root, const QUuid& id);
// The id a folder name stands for: only the canonical text of a UUID counts.
std::optional<QUuid> idFromFolderName(const QString& name);
// The stored copy lies directly in the item's own folder.
bool hasValidStoredPath(const QString& root, const TrayItem& item);
// <root>/<id> is a folder itself, not a link to one.
bool isRealItemFolder(const QString& root, const QUuid& id);
// Exists as anything, a dangling link included.
bool entryExists(const QString& path);

// Why a source cannot enter the tray (missing, unreadable, not a file or folder, "/",
// the tray itself, a folder holding the tray, or something inside it); absent when
// it can.
std::optional<QString> refusal(const QUrl& url, const QString& root);

struct Measure {
    qint64 size = 0;
    int children = 0;
};
// `children` counts the folder's immediate entries, hidden ones included; `size` sums
// the regular files of the tree without hidden entries and without following links,
// stopping after `limit` visited entries.
Measure measure(const QString& directory, int limit);

// Fills in size, type, folder flag and child count from the stored copy.
void describeStored(TrayItem& item, int measureLimit);

enum class RenameResult { renamed, otherFileSystem, failed };
RenameResult rename(const QString& source, const QString& destination, QString* error);

// Copies a file, or a folder tree with links inside it kept as links and sockets,
// pipes and devices left out. Stops early (returning false) once `cancel` is set.
bool copy(const QString& source, const QString& destination, const std::atomic<bool>& cancel, QString* error);

// After a copy finished, deletes from `source` what the copy holds, so nothing that
// appeared in the source meanwhile is lost. False when something could not be deleted.
bool deleteCopiedSource(const QString& source, const QString& copy);

// For an output of ours that could not be copied in (a full disk): moves it to
// `destination` instead, which takes no space on one filesystem, after deleting what
// the copy left there.
bool moveInstead(const QString& source, const QString& destination);

// Deletes a folder of ours: renamed aside first (to a name that is no item's), so a
// deletion cut short never leaves something that looks like an item.
bool removeFolder(const QString& root, const QString& folder);

// Finishes deletions and copies that an earlier run left half done; a folder on its way
// to the trash goes there, or back under its item's id when it cannot. Previews of items
// that are gone are deleted.
void removeLeftovers(const QString& root);

// Takes <root>/<id> away from its item's name at once, so that nothing finds the item
// again at a start, however its removal ends: renamed to a name that is no item's
// (with `trash`, one that keeps the id). Returns the folder for discard(): the renamed
// one, or the item's own when the rename failed; absent when there is no real folder.
std::optional<QString> setAside(const QString& root, const QUuid& id, bool trash);

// Finishes a removal in the folder setAside() gave: with `trash` (the tray holds the
// only copy) the stored entry goes to the desktop's trash and the emptied folder is
// deleted; when trashing fails the folder goes back under the item's id and the reason
// is returned. Otherwise the folder is deleted. A folder that goes takes its preview.
std::optional<QString> discard(const QString& root, const QString& folder, const TrayItem& item, bool trash);

// An item for an item folder that the index does not name, when storedEntry() finds
// its stored copy.
std::optional<TrayItem> adopt(const QString& root, const QString& folderName, int measureLimit);

} // namespace vesk::tray_files
