#pragma once
#include "platform/ui.h"

class QWidget;

namespace vellacor {

// The program's dialogs, with their labels and order; each returns false on Cancel.
bool runSelectFormatDialog(QWidget* parent, SelectFormatDialog& dialog);
bool runSavingDialog(QWidget* parent, SavingDialog& dialog);
bool runSmoothShadingDialog(QWidget* parent, SmoothShadingDialog& dialog);

}  // namespace vellacor
