#include "shell/dialogs.h"

#include <algorithm>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyle>
#include <QPushButton>
#include <QLocale>
#include <QPalette>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/contour_settings.h"
#include "shell/description_text.h"

namespace vellacor {

namespace {

// As many decimals as anyone types: survey and CAD numbers often carry more than six.
constexpr int kAnyDecimals = 1000;

// A number field that takes "C"-locale numbers within [low, high] only.
QLineEdit* numberField(const QString& text, double low, double high) {
    auto* field = new QLineEdit(text);
    auto* validator = new QDoubleValidator(low, high, kAnyDecimals, field);
    validator->setLocale(QLocale::c());
    validator->setNotation(QDoubleValidator::StandardNotation);
    field->setValidator(validator);
    return field;
}

QLineEdit* numberField(double value, double low, double high, int significant) {
    return numberField(QString::number(value, 'g', significant), low, high);
}

// Shown but not for editing, on the dialog's own colour so that it does not look editable.
QLineEdit* readOnlyField(const QString& text) {
    auto* field = new QLineEdit(text);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    QPalette shownOnly = field->palette();
    shownOnly.setColor(QPalette::Base, shownOnly.color(QPalette::Window));
    field->setPalette(shownOnly);
    return field;
}

// OK and Cancel (or OK alone) under the dialog's fields.
QDialogButtonBox* addButtons(QDialog& box, QVBoxLayout* layout, bool withCancel = true) {
    auto* buttons = new QDialogButtonBox(withCancel ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel
                                                    : QDialogButtonBox::StandardButtons(QDialogButtonBox::Ok));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(buttons);
    return buttons;
}

}  // namespace

bool runSelectFormatDialog(QWidget* parent, SelectFormatDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Select File Format"));
    auto* layout = new QVBoxLayout(&box);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Select Format:")));
    auto* list = new QComboBox;
    list->addItems({QStringLiteral("PNEZD"), QStringLiteral("PENZD"), QStringLiteral("XYZ"), QStringLiteral("Elevation raster")});
    list->setCurrentText(QString::fromStdString(dialog.format));
    row->addWidget(list);
    layout->addLayout(row);
    addButtons(box, layout, false);
    const bool ok = box.exec() == QDialog::Accepted;
    // Whatever the list holds when the dialog closes is the format.
    dialog.format = list->currentText().toStdString();
    return ok;
}

bool runPointClassesDialog(QWidget* parent, PointClassesDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Point Classes"));
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(new QLabel(QStringLiteral("Open the points of these classes:")));
    auto* list = new QListWidget;
    for (const PointClassesDialog::Entry& entry : dialog.classes) {
        QString text = QStringLiteral("%1 (class %2): %3 points")
                           .arg(QString::fromStdString(entry.name))
                           .arg(entry.code)
                           .arg(static_cast<qulonglong>(entry.count));
        if (entry.withheld > 0) text += QStringLiteral(", %1 withheld").arg(static_cast<qulonglong>(entry.withheld));
        auto* item = new QListWidgetItem(text, list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        const bool chosen = std::find(dialog.chosen.begin(), dialog.chosen.end(), entry.code) != dialog.chosen.end();
        item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
    }
    // Wide enough for the longest class line without a scroll bar.
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 24);
    layout->addWidget(list);
    // Withheld points are counted apart above; the box brings them in with their classes.
    auto* keepWithheld = new QCheckBox(QStringLiteral("Keep withheld points"));
    keepWithheld->setChecked(dialog.keepWithheld);
    keepWithheld->setEnabled(dialog.withheld > 0);
    auto* withheldRow = new QHBoxLayout;
    withheldRow->addWidget(keepWithheld);
    withheldRow->addStretch();
    withheldRow->addWidget(new QLabel(QStringLiteral("Withheld: %1").arg(static_cast<qulonglong>(dialog.withheld))));
    layout->addLayout(withheldRow);
    // A cloud of tens of millions of points can be thinned before its surface
    // is built, as ground filters do: the lowest point of each square.
    auto* thin = new QCheckBox(QStringLiteral("Keep the lowest point of each square of side"));
    auto* thinCell = new QDoubleSpinBox;
    thinCell->setRange(0.01, 1000.0);
    thinCell->setDecimals(2);
    thinCell->setValue(dialog.thinCell > 0 ? dialog.thinCell : 1.0);
    thinCell->setSuffix(QStringLiteral(" m"));
    thin->setChecked(dialog.thinCell > 0);
    thinCell->setEnabled(thin->isChecked());
    QObject::connect(thin, &QCheckBox::toggled, thinCell, &QWidget::setEnabled);
    auto* thinRow = new QHBoxLayout;
    thinRow->addWidget(thin);
    thinRow->addWidget(thinCell);
    thinRow->addStretch();
    layout->addLayout(thinRow);
    addButtons(box, layout, false);
    const bool ok = box.exec() == QDialog::Accepted;
    dialog.thinCell = thin->isChecked() ? thinCell->value() : 0.0;
    // Whatever is ticked when the dialog closes is the choice, as in the format question.
    dialog.chosen.clear();
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->checkState() == Qt::Checked)
            dialog.chosen.push_back(dialog.classes[static_cast<std::size_t>(row)].code);
    dialog.keepWithheld = keepWithheld->isChecked();
    return ok;
}

bool runSavingDialog(QWidget* parent, SavingDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Saving"));
    auto* layout = new QVBoxLayout(&box);

    auto* formatGroup = new QGroupBox(QStringLiteral("Format:"));
    auto* formatLayout = new QVBoxLayout(formatGroup);
    // One button a format, in the order of ExportFormat.
    const char* const formatNames[] = {"DXF", "LandXML", "GeoPackage", "GeoJSON (one layer)", "Shapefile (one layer)",
                                       "GeoTIFF DEM"};
    std::vector<QRadioButton*> formats;
    for (const char* name : formatNames) {
        formats.push_back(new QRadioButton(QString::fromLatin1(name)));
        formatLayout->addWidget(formats.back());
    }
    formats[static_cast<std::size_t>(dialog.format)]->setChecked(true);
    layout->addWidget(formatGroup);

    auto* includeGroup = new QGroupBox(QStringLiteral("Include:"));
    auto* includeLayout = new QVBoxLayout(includeGroup);
    auto addBox = [&](const char* label, bool checked) {
        auto* check = new QCheckBox(QString::fromLatin1(label));
        check->setChecked(checked);
        includeLayout->addWidget(check);
        return check;
    };
    auto* points = addBox("Points", dialog.points);
    auto* contours = addBox("Contours", dialog.contours);
    auto* breaklines = addBox("Breaklines", dialog.breaklines);
    auto* surface = addBox("Surface", dialog.surface);
    layout->addWidget(includeGroup);

    addButtons(box, layout);
    if (box.exec() != QDialog::Accepted) return false;
    for (std::size_t i = 0; i < formats.size(); ++i)
        if (formats[i]->isChecked()) dialog.format = static_cast<ExportFormat>(i);
    dialog.points = points->isChecked();
    dialog.contours = contours->isChecked();
    dialog.breaklines = breaklines->isChecked();
    dialog.surface = surface->isChecked();
    return true;
}

bool runSmoothShadingDialog(QWidget* parent, SmoothShadingDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Smooth Shading"));
    auto* layout = new QVBoxLayout(&box);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Show Grade break at")));
    auto* angle = numberField(dialog.angle, 0.0, 180.0, 6);
    row->addWidget(angle);
    row->addWidget(new QLabel(QStringLiteral("degrees.")));
    layout->addLayout(row);
    addButtons(box, layout);
    if (box.exec() != QDialog::Accepted) return false;
    dialog.angle = QLocale::c().toDouble(angle->text());
    return true;
}

bool runAligningDialog(QWidget* parent, AligningDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Aligning CAD image with Surface"));
    auto* layout = new QVBoxLayout(&box);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Survey Point Number?")));
    auto* number = new QLineEdit;
    number->setValidator(new QIntValidator(number));
    row->addWidget(number);
    layout->addLayout(row);
    addButtons(box, layout);
    if (box.exec() != QDialog::Accepted) return false;
    bool ok = false;
    const int value = number->text().toInt(&ok);
    if (!ok) return false;
    dialog.pointNumber = value;
    return true;
}

bool runCoordinateSystemDialog(QWidget* parent, CoordinateSystemDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Coordinate System"));
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(new QLabel(QStringLiteral("EPSG code (EPSG:2193) or WKT text:")));
    auto* definition = new QLineEdit(QString::fromStdString(dialog.definition));
    definition->setMinimumWidth(360);
    layout->addWidget(definition);
    addButtons(box, layout);
    if (box.exec() != QDialog::Accepted) return false;
    dialog.definition = definition->text().trimmed().toStdString();
    return !dialog.definition.empty();
}

bool runDemCellDialog(QWidget* parent, DemCellDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("DEM Cell Size"));
    auto* layout = new QVBoxLayout(&box);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Cell Size:")));
    auto* cell = numberField(dialog.cellSize, 1e-9, 1e9, 6);
    row->addWidget(cell);
    layout->addLayout(row);
    QDialogButtonBox* buttons = addButtons(box, layout);
    const auto check = [cell, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(cell->hasAcceptableInput() &&
                                                          QLocale::c().toDouble(cell->text()) > 0.0);
    };
    QObject::connect(cell, &QLineEdit::textChanged, &box, check);
    check();
    if (box.exec() != QDialog::Accepted) return false;
    dialog.cellSize = QLocale::c().toDouble(cell->text());
    return true;
}

bool runContourOptionsDialog(QWidget* parent, ContourOptionsDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Contour Options"));
    auto* layout = new QVBoxLayout(&box);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Contour Interval:")));
    auto* interval = numberField(dialog.interval, kSmallestTypedInterval, kLargestTypedInterval, 10);
    row->addWidget(interval);
    layout->addLayout(row);
    auto* limit = new QCheckBox(QStringLiteral("Limit Contours to polygon area"));
    limit->setChecked(dialog.limitToPolygon);
    layout->addWidget(limit);
    QDialogButtonBox* buttons = addButtons(box, layout);
    // OK only with an interval inside the range.
    const auto check = [interval, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(interval->hasAcceptableInput());
    };
    QObject::connect(interval, &QLineEdit::textChanged, &box, check);
    check();
    if (box.exec() != QDialog::Accepted) return false;
    dialog.interval = QLocale::c().toDouble(interval->text());
    dialog.limitToPolygon = limit->isChecked();
    return true;
}

bool runEditPointDialog(QWidget* parent, EditPointDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Edit Point"));
    auto* layout = new QVBoxLayout(&box);
    auto* form = new QFormLayout;
    const auto shown = [](double v) { return QLocale::c().toString(v, 'f', 3); };
    // Number, northing and easting are shown as they are; they are not taken back.
    auto* number = readOnlyField(QString::number(dialog.number));
    auto* northing = readOnlyField(shown(dialog.northing));
    auto* easting = readOnlyField(shown(dialog.easting));
    // Every digit the elevation has, so that OK without an edit keeps it exactly.
    const QString elevationShown = QString::number(dialog.elevation, 'f', QLocale::FloatingPointShortest);
    auto* elevation = numberField(elevationShown, -99999999.0, 99999999.0);
    const DescriptionText descriptionShown = descriptionForEditing(dialog.description);
    auto* description = new QLineEdit(descriptionShown.shown);
    description->setMaxLength(kDescriptionLength);
    form->addRow(QStringLiteral("Point #:"), number);
    form->addRow(QStringLiteral("Northing:"), northing);
    form->addRow(QStringLiteral("Easting:"), easting);
    form->addRow(QStringLiteral("Elevation:"), elevation);
    form->addRow(QStringLiteral("Description:"), description);
    layout->addLayout(form);
    auto* use = new QCheckBox(QStringLiteral("Use in Surface"));
    use->setChecked(dialog.useInSurface);
    layout->addWidget(use);
    QDialogButtonBox* buttons = addButtons(box, layout);
    const auto check = [elevation, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(elevation->hasAcceptableInput());
    };
    QObject::connect(elevation, &QLineEdit::textChanged, &box, check);
    check();
    elevation->setFocus();
    elevation->selectAll();
    if (box.exec() != QDialog::Accepted) return false;
    if (elevation->text() != elevationShown) dialog.elevation = QLocale::c().toDouble(elevation->text());
    // Untouched, the description goes back byte for byte.
    if (description->text() != descriptionShown.shown)
        dialog.description = descriptionFromEditing(description->text(), descriptionShown.bytewise);
    dialog.useInSurface = use->isChecked();
    return true;
}

bool runAddWallPointDialog(QWidget* parent, AddWallPointDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Add Wall Point"));
    auto* layout = new QVBoxLayout(&box);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Change In Elevation:")));
    auto* change = numberField(dialog.change, -99999.0, 99999.0, 6);
    row->addWidget(change);
    layout->addLayout(row);
    QDialogButtonBox* buttons = addButtons(box, layout);
    const auto check = [change, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(change->hasAcceptableInput());
    };
    QObject::connect(change, &QLineEdit::textChanged, &box, check);
    check();
    change->setFocus();
    change->selectAll();
    if (box.exec() != QDialog::Accepted) return false;
    dialog.change = QLocale::c().toDouble(change->text());
    return true;
}

void showHelpWindow(QWidget* parent, const QString& title, const QString& text) {
    QDialog box(parent);
    box.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&box);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel;
    icon->setPixmap(box.style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);
    auto* lines = new QPlainTextEdit(text);
    lines->setReadOnly(true);
    lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines->setFrameShape(QFrame::NoFrame);
    lines->setTabStopDistance(3.0 * lines->fontMetrics().horizontalAdvance(QLatin1Char('x')));
    lines->viewport()->setAutoFillBackground(false);
    row->addWidget(lines);
    layout->addLayout(row);
    addButtons(box, layout, false);
    const QFontMetrics metrics = lines->fontMetrics();
    box.resize(std::min(60 + metrics.horizontalAdvance(QString(100, QLatin1Char('x'))), 900),
               std::min(120 + metrics.lineSpacing() * 46, 720));
    box.exec();
}

}  // namespace vellacor
