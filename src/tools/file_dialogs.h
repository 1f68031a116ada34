// The desktop's open and save file dialogs for a FileDialogRequest, and the
// conversion of its "description|pattern|..." filter into Qt's form.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "tools/tool_host.h"

class QWidget;

namespace tolvane {

// "All Files|*.*|Text Files|*.txt|" -> {"All Files (*.*)", "Text Files (*.txt)"}.
// A description without its pattern is dropped.
QStringList qtFileFilters(const std::string& filter);

// Runs the dialog; the chosen file's full name, or nothing on cancel.
std::optional<std::string> askFileName(QWidget* parent, const FileDialogRequest& request,
                                       bool save);

}  // namespace tolvane
