#include "shell/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vellacor {

bool runSelectFormatDialog(QWidget* parent, SelectFormatDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Select File Format"));
    auto* layout = new QVBoxLayout(&box);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Select Format:")));
    auto* list = new QComboBox;
    list->addItems({QStringLiteral("PNEZD"), QStringLiteral("PENZD"), QStringLiteral("XYZ")});
    list->setCurrentText(QString::fromStdString(dialog.format));
    row->addWidget(list);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    const bool ok = box.exec() == QDialog::Accepted;
    // Whatever the list holds when the dialog closes is the format.
    dialog.format = list->currentText().toStdString();
    return ok;
}

bool runSavingDialog(QWidget* parent, SavingDialog& dialog) {
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Saving"));
    auto* layout = new QVBoxLayout(&box);

    auto* formatGroup = new QGroupBox(QStringLiteral("Format:"));
    auto* formatLayout = new QVBoxLayout(formatGroup);
    auto* dxf = new QRadioButton(QStringLiteral("DXF"));
    auto* landXml = new QRadioButton(QStringLiteral("LandXML"));
    (dialog.format == 1 ? landXml : dxf)->setChecked(true);
    formatLayout->addWidget(dxf);
    formatLayout->addWidget(landXml);
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

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(buttons);
    if (box.exec() != QDialog::Accepted) return false;
    dialog.format = landXml->isChecked() ? 1 : 0;
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
    auto* angle = new QLineEdit(QString::number(dialog.angle, 'g', 6));
    auto* validator = new QDoubleValidator(0.0, 180.0, 6, angle);
    validator->setLocale(QLocale::c());
    angle->setValidator(validator);
    row->addWidget(angle);
    row->addWidget(new QLabel(QStringLiteral("degrees.")));
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(buttons);
    if (box.exec() != QDialog::Accepted) return false;
    dialog.angle = QLocale::c().toDouble(angle->text());
    return true;
}

}  // namespace vellacor
