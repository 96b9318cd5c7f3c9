#include "shell/view_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "app/command_table.h"
#include "app/navigation.h"
#include "app/site_model.h"
#include "shell/key_map.h"
#include "shell/qt_ui.h"

namespace vellacor {

ViewWidget::ViewWidget(SiteModel& model, QtUi& ui, QWidget* parent) : QWidget(parent), model_(model), ui_(ui) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 240);
    setMouseTracking(true);
    ui_.setView(this);
    // A dialog takes the release of the press that opened it (a double click
    // does): no button stays down behind it, as no key does.
    ui_.setAfterModal([this] { forgetButtonsLetGo(model_, false, false); });
}

ViewWidget::~ViewWidget() {
    ui_.setAfterModal(nullptr);
    ui_.setView(nullptr);
}

void ViewWidget::followButtonsOf(const QSinglePointEvent& event) {
    forgetButtonsLetGo(model_, event.buttons() & Qt::LeftButton, event.buttons() & Qt::RightButton);
}

void ViewWidget::showPicture(const RgbImage& picture) {
    if (picture.width <= 0 || picture.height <= 0) return;
    // A deep copy: the core reuses its buffer for the next frame.
    picture_ = QImage(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                      picture.width * 4, QImage::Format_RGB32)
                   .copy();
    update();
}

void ViewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(0, 0, picture_);
    // The frame may lag a resize by one frame: keep the uncovered strip dark.
    if (picture_.width() < width()) painter.fillRect(picture_.width(), 0, width() - picture_.width(), height(), Qt::black);
    if (picture_.height() < height()) painter.fillRect(0, picture_.height(), width(), height() - picture_.height(), Qt::black);
}

Pixel ViewWidget::pixelAt(const QPointF& position) {
    return {static_cast<int>(std::floor(position.x())), static_cast<int>(std::floor(position.y()))};
}

void ViewWidget::moveTo(const QPointF& position) {
    if (moveMouse(model_, pixelAt(position))) update();
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
    followButtonsOf(*event);
    moveTo(event->position());
    QWidget::mouseMoveEvent(event);
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
    // Qt keeps the mouse with this widget while a button is held.
    followButtonsOf(*event);
    moveTo(event->position());
    if (event->button() == Qt::LeftButton) pressLeftButton(model_, event->modifiers() & Qt::ControlModifier);
    if (event->button() == Qt::RightButton) pressRightButton(model_);
    QWidget::mousePressEvent(event);
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    // A release whose press was already let go (a dialog came between) is no click.
    if (event->button() == Qt::LeftButton && model_.input.leftButtonDown) releaseLeftButton(model_, ui_);
    if (event->button() == Qt::RightButton && model_.input.rightButtonDown) releaseRightButton(model_);
    QWidget::mouseReleaseEvent(event);
}

void ViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        // The second press of a double click is still a press for the drag states.
        pressLeftButton(model_);
        doubleClick(model_, ui_, pixelAt(event->position()), event->modifiers() & Qt::ControlModifier);
        // Not passed on: the base class would press the button again, after
        // a dialog the double click opened has taken its release.
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void ViewWidget::wheelEvent(QWheelEvent* event) {
    followButtonsOf(*event);
    moveTo(event->position());
    // Whole notches only, as a notched wheel sends them; parts add up.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / 120;
    if (notches != 0) {
        wheelRemainder_ -= notches * 120;
        turnWheel(model_, notches * 120);
    }
    event->accept();
}

void ViewWidget::leaveEvent(QEvent* event) {
    if (!model_.input.leftButtonDown && !model_.input.rightButtonDown) model_.input.cursorInView = false;
    QWidget::leaveEvent(event);
}

void ViewWidget::keyPressEvent(QKeyEvent* event) {
    const int vk = virtualKeyFor(*event);
    if (vk) {
        ui_.setKey(vk, true);  // held keys fly the camera
        handleKey(model_, ui_, vk);  // the command table's row of the key
    }
    QWidget::keyPressEvent(event);
}

void ViewWidget::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    if (const int vk = virtualKeyFor(*event)) ui_.setKey(vk, false);
    QWidget::keyReleaseEvent(event);
}

void ViewWidget::focusOutEvent(QFocusEvent* event) {
    ui_.releaseAllKeys();
    QWidget::focusOutEvent(event);
}

}  // namespace vellacor
