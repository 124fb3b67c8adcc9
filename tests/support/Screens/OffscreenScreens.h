#pragma once

#include <QList>
#include <QRect>
#include <QString>

namespace vesk::test {

// One screen of the offscreen platform.
struct OffscreenScreen {
    QString name;
    QRect geometry;
    double devicePixelRatio = 1;
};

// Replaces the offscreen platform's screens while the test runs, as plugging and
// unplugging monitors would: screens whose name stays keep their QScreen (and report a
// changed geometry), others are added or removed. False on any other platform.
bool setOffscreenScreens(const QList<OffscreenScreen>& screens);

} // namespace vesk::test
