#pragma once

#include <QString>

namespace vesk {

// Where the synced store lives, and the move of a store left at the old default place.
class SyncCoordinator {
public:
    // "$XDG_DATA_HOME/Vesk/Vesk.store"; makes the folder when it is missing.
    static QString storeURL();
    // Moves "$XDG_DATA_HOME/default.store" (with "default_ckAssets") to `target` once,
    // when nothing of the store at `target` exists yet, the old file is one of our
    // stores, and its log can be folded into it first. Anything else stays where it is.
    // Never fails.
    static void migrateLegacyStoreIfNeeded(const QString& target);
};

} // namespace vesk
