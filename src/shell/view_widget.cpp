#include "shell/view_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/site_model.h"
#include "shell/key_map.h"
#include "shell/qt_ui.h"

namespace vellacor {

ViewWidget::ViewWidget(SiteModel& model, QtUi& ui, QWidget* parent) : QWidget(parent), model_(model), ui_(ui) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 240);
    setMouseTracking(true);
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

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
    model_.input.cursorInView = true;
    model_.input.cursorX = static_cast<int>(event->position().x());
    model_.input.cursorY = static_cast<int>(event->position().y());
    QWidget::mouseMoveEvent(event);
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        model_.input.leftButtonDown = true;
        model_.input.leftPressTime = Clock::now();
    } else if (event->button() == Qt::RightButton) {
        model_.input.rightButtonDown = true;
        model_.input.rightPressTime = Clock::now();
    }
    QWidget::mousePressEvent(event);
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) model_.input.leftButtonDown = false;
    if (event->button() == Qt::RightButton) model_.input.rightButtonDown = false;
    QWidget::mouseReleaseEvent(event);
}

void ViewWidget::leaveEvent(QEvent* event) {
    model_.input.cursorInView = false;
    QWidget::leaveEvent(event);
}

void ViewWidget::keyPressEvent(QKeyEvent* event) {
    if (const int vk = virtualKeyFor(*event)) ui_.setKey(vk, true);
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
