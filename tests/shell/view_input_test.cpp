// The view's keys and mouse as Qt delivers them: synthetic Qt events into a
// real window over a small loaded site.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/command_table.h"
#include "app/navigation.h"
#include "app/site_model.h"
#include "camera/vector_math.h"
#include "platform/virtual_keys.h"
#include "shell/key_map.h"
#include "shell/main_window.h"
#include "shell/qt_ui.h"
#include "shell/view_widget.h"
#include "support/grid_site_text.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

int codeFor(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QKeyEvent event(QEvent::KeyPress, key, modifiers);
    return virtualKeyFor(event);
}

TEST(KeyMap, QtKeysBecomeTheCodesTheKeyTablesRead) {
    const Qt::KeyboardModifiers pad = Qt::KeypadModifier, none = Qt::NoModifier;
    // The keypad's decimal key, printed "." or "," by the layout; the main keyboard's are not used.
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        int code;
    } cases[] = {{Qt::Key_0, pad, vk::Numpad0},     {Qt::Key_7, none, '7'},
                 {Qt::Key_Plus, pad, vk::Add},       {Qt::Key_Plus, none, vk::OemPlus},  {Qt::Key_Equal, none, vk::OemPlus},
                 {Qt::Key_Period, pad, vk::Decimal}, {Qt::Key_Comma, pad, vk::Decimal},
                 {Qt::Key_Period, none, 0},          {Qt::Key_Comma, none, 0}};
    for (const auto& c : cases) EXPECT_EQ(codeFor(c.key, c.modifiers), c.code) << c.key << " " << c.modifiers;

    // Every key of the command table, made a Qt shortcut, reads back as itself.
    std::vector<KeyStroke> keys(keysTakenForNothing().begin(), keysTakenForNothing().end());
    for (const Command& row : commandTable())
        for (const KeyStroke key : {row.key, row.otherKey})
            if (key) keys.push_back(key);
    for (const KeyStroke key : keys) {
        const QKeySequence shortcut = qtShortcutFor(key);
        ASSERT_EQ(shortcut.count(), 1) << keyName(key);
        const QKeyCombination made = shortcut[0];
        const Qt::KeyboardModifiers held = made.keyboardModifiers();
        EXPECT_EQ(codeFor(made.key(), held), key.virtualKey) << keyName(key);
        EXPECT_EQ(KeyStroke({key.virtualKey, bool(held & Qt::ControlModifier), bool(held & Qt::ShiftModifier),
                             bool(held & Qt::AltModifier)}),
                  key)
            << keyName(key);
    }
}

// An 11 x 11 grid of points 100 apart, loaded in a window, built and drawn.
struct ViewInput : ::testing::Test {
    testing::TempDir dir;
    SiteModel model;
    std::unique_ptr<MainWindow> window;
    ViewWidget* view = nullptr;

    void SetUp() override {
        const std::string text = testing::gridSiteText("TOPO");
        window = std::make_unique<MainWindow>(model);
        window->show();
        ASSERT_TRUE(window->openPath(QString::fromStdString(dir.write("site.txt", text)), QStringLiteral("PNEZD")));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!(model.document.contourStage.done && model.camera.mode == CameraMode::Stationary) &&
               std::chrono::steady_clock::now() < deadline)
            window->runFrame();
        ASSERT_TRUE(model.document.contourStage.done);
        window->runFrame();
        view = window->view();
    }

    // A plain mouse move, the buttons as the window system reports them.
    void moveTo(QPoint at, Qt::MouseButtons held = Qt::NoButton) {
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    }
    // Ground with no survey point at it, left of the middle (away from the axis).
    QPoint bareGround() const {
        const SiteDocument& d = model.document;
        for (int x = view->width() / 2 - 60; x > 0; x -= 7) {
            const Pixel at{x, view->height() / 2};
            if (groundAt(model, at) &&
                pickNearestPoint(d.points, d.pointCount, model.renderer.sceneView, screenDepthOf(model.renderer.frame),
                                 at) == kNoPoint)
                return {at.x, at.y};
        }
        return {};
    }
};

TEST_F(ViewInput, KeypadDecimalPointIsHeldAndFliesDown) {
    QTest::keyPress(view, Qt::Key_Period, Qt::KeypadModifier);
    EXPECT_TRUE(window->ui().keyDown(vk::Decimal));
    model.camera.velocity = {};
    EXPECT_TRUE(keyboardFlight(model, window->ui()));
    EXPECT_LT(model.camera.velocity.z, 0.0);
    QTest::keyRelease(view, Qt::Key_Period, Qt::KeypadModifier);
    EXPECT_FALSE(window->ui().keyDown(vk::Decimal));
}

// One fast move of 134 pixels up: the eye comes close but stays in front of the target.
TEST_F(ViewInput, AFastRightDragNeverPassesTheTarget) {
    Camera& cam = model.camera;
    const QPoint start(view->width() / 2 - 150, view->height() / 2);
    const Vec3 before = cam.eye - cam.target;
    QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, start);
    QTest::mouseMove(view, start + QPoint(0, 1));  // the first move is not a zoom
    QTest::mouseMove(view, start + QPoint(0, 1 - 134));
    QTest::mouseRelease(view, Qt::RightButton, Qt::NoModifier, start + QPoint(0, 1 - 134));
    const Vec3 after = cam.eye - cam.target;
    EXPECT_GT(dot(after, before), 0.0);
    EXPECT_LT(length(after), length(before));
}

TEST_F(ViewInput, ButtonReleasedIntoADialogIsNotHeldAfterIt) {
    const QPoint at = bareGround();
    ASSERT_FALSE(at.isNull());
    model.input.selectedPoint = 60;  // a double click on bare ground then asks for a wall point
    QString title;
    QTimer::singleShot(0, [&title] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        title = dialog->windowTitle();
        QTest::mouseRelease(dialog, Qt::LeftButton);  // the double click's release goes to the dialog
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(title, QStringLiteral("Add Wall Point"));
    EXPECT_FALSE(model.input.leftButtonDown);

    // Plain moves after Cancel only move the cursor.
    const Vec3 eye = model.camera.eye, direction = model.camera.direction;
    moveTo(at + QPoint(-20, 10));
    moveTo(at + QPoint(-60, 30));
    EXPECT_EQ(distance(model.camera.eye, eye), 0.0);
    EXPECT_EQ(distance(model.camera.direction, direction), 0.0);

    // A release lost some other way ends the drag at the first move that shows the button up.
    model.input.leftButtonDown = true;
    moveTo(at);
    EXPECT_FALSE(model.input.leftButtonDown);

    // Should the lost release reach the view after all, it is no Shift-click on the ground.
    model.input.selectedPoint = kNoSelection;
    model.input.leftPressTime = Clock::now();
    QTest::keyPress(view, Qt::Key_Shift);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::ShiftModifier, at);
    QTest::keyRelease(view, Qt::Key_Shift);
    EXPECT_EQ(model.input.selectedPoint, kNoSelection);
}

}  // namespace
}  // namespace vellacor
