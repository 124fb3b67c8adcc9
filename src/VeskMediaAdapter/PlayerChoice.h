#pragma once

#include <QString>

namespace vesk::adapter {

// The player the stream run last reported, kept in a small file of the user's runtime
// folder so that a command run acts on the player the user sees.
QString playerChoicePath();
void savePlayerChoice(const QString& busName);
QString loadPlayerChoice();

} // namespace vesk::adapter
