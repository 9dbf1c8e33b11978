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

class QLabel;

namespace qvr {

// The dialogs are laid out in pixels for narrow fonts; where the fonts at hand are
// wider, a label's font is made smaller (down to minPixelSize) until its text fits.
void FitFontToLabel(QLabel& label, int minPixelSize = 9);

} // namespace qvr
