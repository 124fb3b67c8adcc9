#pragma once

#include <QByteArray>
#include <QString>

namespace vesk::machine {

// The machine's model name: the firmware's DMI product name, else the device tree's
// model (boards without DMI), else the empty string. `root` lets tests point at a fake
// file-system tree.
QString model(const QString& root = QStringLiteral("/"));

// The bytes of a model file as text: cut at the first zero byte, decoded as UTF-8 with
// invalid sequences replaced, and the trailing line break the kernel adds removed.
QString decodeModel(const QByteArray& bytes);

} // namespace vesk::machine
