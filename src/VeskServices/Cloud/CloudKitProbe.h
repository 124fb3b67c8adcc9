#pragma once

#include "VeskPlatform/Cloud/CloudContainer.h"

#include <QString>

#include <functional>
#include <memory>

namespace vesk {

// A developer check: can this copy reach its private cloud container? It tests the
// entitlement, asks for the account status, then writes, reads back and deletes one
// throw-away record.
struct CloudKitProbe {
    struct Result {
        // The account status in words, or "unentitled", or "error".
        QString accountStatus;
        bool roundTripSucceeded = false;
        QString detail;

        QString summary() const;
        friend bool operator==(const Result&, const Result&) = default;
    };

    QString containerID;
    // The container to probe; null means this system's own.
    std::shared_ptr<CloudContainer> container;

    // Runs the steps in turn; `done` gets the result on the main thread, always after
    // run() has returned. Every failure becomes a result.
    void run(std::function<void(Result)> done) const;

    // The words for an account status other than available.
    static QString accountStatusWords(int status);
};

} // namespace vesk
