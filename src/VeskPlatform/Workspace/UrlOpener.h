#pragma once

#include <QUrl>

namespace vesk::urlOpener {

// Opens `url` with the desktop's application for it, started in the environment the user
// started us with; false when nothing took it.
bool open(const QUrl& url);

} // namespace vesk::urlOpener
