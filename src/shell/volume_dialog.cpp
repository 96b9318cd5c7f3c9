#include "shell/volume_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QInputDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellacor {

void showVolumeReport(QWidget* parent, const QString& title, const QString& text,
                      const std::function<void(const QString&)>& saveAs) {
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* view = new QPlainTextEdit(text, &dialog);
    view->setReadOnly(true);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setMinimumSize(420, 260);
    layout->addWidget(view);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QPushButton* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    QPushButton* save = buttons->addButton(QStringLiteral("&Save As..."), QDialogButtonBox::ActionRole);
    QObject::connect(copy, &QPushButton::clicked, &dialog, [text] { QApplication::clipboard()->setText(text); });
    QObject::connect(save, &QPushButton::clicked, &dialog, [text, saveAs] { saveAs(text); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}

std::optional<double> askDatumElevation(QWidget* parent, double initial) {
    bool ok = false;
    const double z = QInputDialog::getDouble(parent, QStringLiteral("Volume to Elevation"),
                                             QStringLiteral("Elevation of the level datum:"), initial, -1.0e9, 1.0e9,
                                             3, &ok);
    if (!ok) return std::nullopt;
    return z;
}

}  // namespace vellacor
