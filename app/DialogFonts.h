#pragma once

#include <QFont>
#include <QStringList>

namespace qvr {

// The dialogs' fonts, by character height in pixels, with the nearest
// families that a Linux desktop usually has as fallbacks.
QFont DialogFont();                                  // dialog text, 13 pixels
QFont SansFont(int pixelSize);                       // Arial-like
QFont SerifFont(int pixelSize, bool italic = false); // Times-like

} // namespace qvr
