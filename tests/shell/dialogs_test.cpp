// The program's dialogs, filled and answered as a user would.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>

#include "shell/dialogs.h"

namespace vellacor {
namespace {

// Runs `answer` on the dialog `open` brings up, from inside its event loop.
bool answering(const std::function<void(QDialog&)>& answer, const std::function<bool()>& open) {
    QTimer::singleShot(0, [answer] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) answer(*dialog);
    });
    return open();
}

QLineEdit* fieldLabelled(QDialog& dialog, const QString& label) {
    for (QLabel* l : dialog.findChildren<QLabel*>())
        if (l->text() == label) return qobject_cast<QLineEdit*>(l->buddy());
    return nullptr;
}

QPushButton* okButton(QDialog& dialog) {
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

// OK when it can be pressed, otherwise Cancel.
void pressOkOrCancel(QDialog& dialog) {
    if (okButton(dialog)->isEnabled())
        okButton(dialog)->click();
    else
        dialog.reject();
}

TEST(EditPointDialog, OkKeepsWhatWasNotEditedExactlyAndShowsTheRestReadOnly) {
    EditPointDialog point{17, 5000.125, 6000.5, 123.456789012345, "TOP\xB0", true};
    bool okEnabled = false;
    QStringList editable;
    QString descriptionShown;
    const auto look = [&](QDialog& dialog) {
        okEnabled = okButton(dialog)->isEnabled();
        for (const char* label : {"Point #:", "Northing:", "Easting:", "Elevation:", "Description:"}) {
            QLineEdit* field = fieldLabelled(dialog, QString::fromLatin1(label));
            if (field && !field->isReadOnly()) editable << QString::fromLatin1(label);
        }
        descriptionShown = fieldLabelled(dialog, QStringLiteral("Description:"))->text();
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(look, [&] { return runEditPointDialog(nullptr, point); }));
    EXPECT_TRUE(okEnabled);  // twelve decimals are a number like any other
    EXPECT_EQ(editable, (QStringList{"Elevation:", "Description:"}));
    EXPECT_EQ(descriptionShown, QStringLiteral("TOP\u00B0"));  // the byte as the degree sign it stands for
    EXPECT_EQ(point.elevation, 123.456789012345);
    EXPECT_EQ(point.description, "TOP\xB0");
    EXPECT_EQ(point.number, 17);

    // Edited, the description keeps one byte per character; the elevation takes every digit typed.
    const auto edit = [](QDialog& dialog) {
        fieldLabelled(dialog, QStringLiteral("Elevation:"))->setText(QStringLiteral("101.123456789"));
        QLineEdit* description = fieldLabelled(dialog, QStringLiteral("Description:"));
        description->setText(description->text() + QStringLiteral(" X"));
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(edit, [&] { return runEditPointDialog(nullptr, point); }));
    EXPECT_EQ(point.elevation, 101.123456789);
    EXPECT_EQ(point.description, "TOP\xB0 X");

    // A UTF-8 description edits as UTF-8.
    point.description = "TOP \xC2\xB0";
    const auto add = [](QDialog& dialog) {
        QLineEdit* description = fieldLabelled(dialog, QStringLiteral("Description:"));
        description->setText(description->text() + QStringLiteral("\u20AC"));
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(add, [&] { return runEditPointDialog(nullptr, point); }));
    EXPECT_EQ(point.description, "TOP \xC2\xB0\xE2\x82\xAC");
}

TEST(SavingDialog, EachFormatHasItsButtonAndTheSiteItsSystem) {
    SavingDialog saving;
    saving.format = ExportFormat::GeoPackage;
    QStringList shown;
    QString checked;
    const auto pick = [&](QDialog& dialog) {
        for (QRadioButton* button : dialog.findChildren<QRadioButton*>()) {
            shown << button->text();
            if (button->isChecked()) checked = button->text();
            if (button->text() == QStringLiteral("GeoTIFF DEM")) button->setChecked(true);
        }
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(pick, [&] { return runSavingDialog(nullptr, saving); }));
    EXPECT_EQ(shown, (QStringList{"DXF", "LandXML", "GeoPackage", "GeoJSON (one layer)", "Shapefile (one layer)",
                                  "GeoTIFF DEM"}));
    EXPECT_EQ(checked, QStringLiteral("GeoPackage"));
    EXPECT_EQ(saving.format, ExportFormat::GeoTiff);

    CoordinateSystemDialog system{"EPSG:2193"};
    QString before;
    const auto type = [&](QDialog& dialog) {
        QLineEdit* field = dialog.findChild<QLineEdit*>();
        before = field->text();
        field->setText(QStringLiteral("  EPSG:4326 "));
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(type, [&] { return runCoordinateSystemDialog(nullptr, system); }));
    EXPECT_EQ(before, QStringLiteral("EPSG:2193"));
    EXPECT_EQ(system.definition, "EPSG:4326");

    // The DEM's cell: OK only for a size above nothing.
    DemCellDialog cell{0.25};
    bool zeroAccepted = true;
    const auto size = [&](QDialog& dialog) {
        QLineEdit* field = dialog.findChild<QLineEdit*>();
        before = field->text();
        field->setText(QStringLiteral("0"));
        zeroAccepted = okButton(dialog)->isEnabled();
        field->setText(QStringLiteral("1.5"));
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(size, [&] { return runDemCellDialog(nullptr, cell); }));
    EXPECT_EQ(before, QStringLiteral("0.25"));
    EXPECT_FALSE(zeroAccepted);
    EXPECT_EQ(cell.cellSize, 1.5);
}

TEST(PointClassesDialog, ShowsTheFilesClassesWithTheChosenTickedAndReturnsWhatIsTicked) {
    PointClassesDialog classes;
    classes.classes = {{1, "Unclassified", 12}, {2, "Ground", 3400000000}, {9, "Water", 5}};
    classes.chosen = {2};
    QStringList shown;
    QList<Qt::CheckState> ticks;
    const auto tick = [&](QDialog& dialog) {
        QListWidget* list = dialog.findChild<QListWidget*>();
        for (int row = 0; row < list->count(); ++row) {
            shown << list->item(row)->text();
            ticks << list->item(row)->checkState();
            list->item(row)->setCheckState(row == 2 ? Qt::Checked : Qt::Unchecked);
        }
        pressOkOrCancel(dialog);
    };
    ASSERT_TRUE(answering(tick, [&] { return runPointClassesDialog(nullptr, classes); }));
    EXPECT_EQ(shown, (QStringList{"Unclassified (class 1): 12 points", "Ground (class 2): 3400000000 points",
                                  "Water (class 9): 5 points"}));
    EXPECT_EQ(ticks, (QList<Qt::CheckState>{Qt::Unchecked, Qt::Checked, Qt::Unchecked}));
    EXPECT_EQ(classes.chosen, std::vector<int>{9});
}

}  // namespace
}  // namespace vellacor
