#pragma once

#include "VeskPlatform/Screens/ScreenDescription.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QScreen;

namespace vesk::screens {

// A description of a connected screen. No screen on Linux reports a camera housing,
// so the inset is 0 and the auxiliary areas are absent.
ScreenDescription describe(const QScreen& screen);

// Every connected screen, primary first.
QList<QScreen*> all();

// The stable 32-bit id of an output: the CRC-32 of its name, manufacturer, model and
// serial number, so it survives restarts and reconnection (unlike a per-process hash).
// Never 0, which means "unknown".
quint32 displayID(const QScreen& screen);
quint32 displayID(const QString& name, const QString& manufacturer, const QString& model,
                  const QString& serialNumber);

// CRC-32 (IEEE 802.3, as zlib computes it).
quint32 crc32(const QByteArray& data);

} // namespace vesk::screens
