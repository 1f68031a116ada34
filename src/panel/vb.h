// Small helpers that give Qt widgets the properties the panel's routines
// work with: captions (with their "&"), BGR long colours that read back
// exactly as set, bold, and positions in twips.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <string>

namespace tolvane::vb {

// Caption of a label, button, check box or option button; text of a line
// edit or combo box (std::string, UTF-8).
std::string caption(const QWidget* w);
void setCaption(QWidget* w, const std::string& text);

// Long colour values in the BGR order of the stored colours (red = 255).
QColor toQColor(long bgr);
long backColour(const QWidget* w);  // -1 when never set
long foreColour(const QWidget* w);  // -1 when never set
void setBackColour(QWidget* w, long bgr);
void setForeColour(QWidget* w, long bgr);
// The system colours used by the panel, as long values.
long systemButtonFace();
long systemButtonText();
long systemGrayText();

void setBold(QWidget* w, bool bold);
bool isBold(const QWidget* w);

// Twips (1/1440 inch) <-> pixels of the screen the widget is on.
int pixelsToTwips(int pixels, const QWidget* w = nullptr);
int twipsToPixels(double twips, const QWidget* w = nullptr);

}  // namespace tolvane::vb
