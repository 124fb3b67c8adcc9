#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

namespace vesk::childEnvironment {

// Sets `name` to `value` for this process only, when the user's environment has no such
// variable: the programs we start get the environment the user started us with. main()
// uses it for the xcb platform (a Qt program launched from us under Wayland would
// otherwise run through XWayland) and for libdbus's non-fatal warnings.
void setForThisProcess(const char* name, const QByteArray& value);
// QT_QPA_PLATFORM was set that way.
void markPlatformForced();
bool isPlatformForced();
// The variables set for this process only, which children do not inherit.
QStringList ownVariables();

// Our environment as programs we start should see it.
QProcessEnvironment forChildren();

// Starts `program` detached, without a shell, in forChildren().
bool startDetached(const QString& program, const QStringList& arguments);

} // namespace vesk::childEnvironment
