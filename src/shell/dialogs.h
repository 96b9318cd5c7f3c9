#pragma once
#include "model/survey_point.h"
#include "platform/ui.h"

class QString;
class QWidget;

namespace vellacor {

// The program's dialogs, with their labels and order; each returns false on Cancel.
bool runSelectFormatDialog(QWidget* parent, SelectFormatDialog& dialog);
bool runPointClassesDialog(QWidget* parent, PointClassesDialog& dialog);
bool runSavingDialog(QWidget* parent, SavingDialog& dialog);
bool runSmoothShadingDialog(QWidget* parent, SmoothShadingDialog& dialog);
bool runContourOptionsDialog(QWidget* parent, ContourOptionsDialog& dialog);
bool runEditPointDialog(QWidget* parent, EditPointDialog& dialog);
bool runAddWallPointDialog(QWidget* parent, AddWallPointDialog& dialog);
bool runAligningDialog(QWidget* parent, AligningDialog& dialog);
bool runCoordinateSystemDialog(QWidget* parent, CoordinateSystemDialog& dialog);
bool runDemCellDialog(QWidget* parent, DemCellDialog& dialog);

// The help text beside a question-mark icon with an OK button: its lines
// unwrapped, tabs as short indents, scrolling when the screen is small.
void showHelpWindow(QWidget* parent, const QString& title, const QString& text);

}  // namespace vellacor
