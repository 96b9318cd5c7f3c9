// The class question of a LiDAR point cloud, answered as a user would.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "shell/dialogs.h"

namespace vellacor {
namespace {

TEST(PointClassesDialog, ShowsTheFilesClassesWithTheChosenTickedAndReturnsWhatIsTicked) {
    PointClassesDialog dialog;
    dialog.classes = {{1, "Unclassified", 12}, {2, "Ground", 3400000000}, {9, "Water", 5}};
    dialog.chosen = {2};
    QStringList shown;
    QList<Qt::CheckState> ticks;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QListWidget* list = box->findChild<QListWidget*>();
        for (int row = 0; row < list->count(); ++row) {
            shown << list->item(row)->text();
            ticks << list->item(row)->checkState();
        }
        list->item(0)->setCheckState(Qt::Unchecked);
        list->item(1)->setCheckState(Qt::Unchecked);
        list->item(2)->setCheckState(Qt::Checked);
        box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_TRUE(runPointClassesDialog(nullptr, dialog));
    EXPECT_EQ(shown, (QStringList{"Unclassified (class 1): 12 points", "Ground (class 2): 3400000000 points",
                                  "Water (class 9): 5 points"}));
    EXPECT_EQ(ticks, (QList<Qt::CheckState>{Qt::Unchecked, Qt::Checked, Qt::Unchecked}));
    EXPECT_EQ(dialog.chosen, std::vector<int>{9});
}

}  // namespace
}  // namespace vellacor
