#pragma once

#include <QByteArray>

// Whether a JPEG holds its whole picture. Decoders fill what a cut-off file lacks with
// grey and only warn; a pipeline must not pass that off as the picture.
namespace vesk::imageio::jpeg {

// True when the picture's data ends early: the file stops (or a marker comes) while
// the decoder still needs data for the scan, or, in a picture of several scans, before
// its end marker. Files that end properly are not decoded for this; a file missing only
// its end marker after a whole single scan, or one whose warnings leave the picture
// whole, is not truncated.
bool isTruncated(const QByteArray& jpeg);

} // namespace vesk::imageio::jpeg
