#include "shell/view_widget.h"

#include <QKeyEvent>
#include <QPainter>

#include "model/site_model.h"
#include "shell/key_map.h"
#include "shell/qt_ui.h"

namespace vellacor {

ViewWidget::ViewWidget(SiteModel& model, QtUi& ui, QWidget* parent) : QWidget(parent), model_(model), ui_(ui) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 240);
}

QImage ViewWidget::composePicture() const {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setPen(QColor(200, 200, 200));
    if (model_.documentLoaded) {
        const QString status = model_.triangulateStage.running ? QStringLiteral("Building Surface")
                               : model_.triangleCount > 0
                                   ? QStringLiteral("%1 points, %2 triangles").arg(model_.pointCount).arg(model_.triangleCount)
                                   : QStringLiteral("%1 points").arg(model_.pointCount);
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignTop, status);
    }
    return image;
}

void ViewWidget::paintEvent(QPaintEvent*) {
    picture_ = composePicture();
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
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
