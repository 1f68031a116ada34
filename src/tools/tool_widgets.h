// Small helpers of the tool windows: captions and texts as std::string, and
// the text and back colours the windows paint (red errors, the scan list's
// red and grey check boxes), read back exactly as set.
#pragma once

#include <QColor>
#include <string>

class QWidget;

namespace tolvane::toolui {

inline const QColor kRed(255, 0, 0);
inline const QColor kBlack(0, 0, 0);
// The scan list's check boxes at rest.
inline const QColor kCheckGrey(224, 224, 224);

// Text of a line edit, caption of a label, button or check box.
std::string text(const QWidget* w);
void setText(QWidget* w, const std::string& text);

// Text colour (text of a box, caption of a label) and back colour.
void setTextColour(QWidget* w, const QColor& colour);
QColor textColour(const QWidget* w);
void setBackColour(QWidget* w, const QColor& colour);
QColor backColour(const QWidget* w);
// The desktop's window-text colour.
QColor windowTextColour();

}  // namespace tolvane::toolui
