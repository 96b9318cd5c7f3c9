#pragma once
#include <QImage>
#include <QWidget>

#include "camera/picking.h"
#include "render/rgb_image.h"

class QSinglePointEvent;

namespace vellacor {

struct SiteModel;
class QtUi;

// The 3D view: shows the last frame the core produced and passes keys and
// mouse state to the core. It holds no view parameters of its own.
class ViewWidget : public QWidget {
    Q_OBJECT
public:
    ViewWidget(SiteModel& model, QtUi& ui, QWidget* parent = nullptr);
    ~ViewWidget() override;

    // The picture as the user sees it, for tests and screenshots.
    QImage currentPicture() const { return picture_; }
    // Shows the picture the core composed for this frame.
    void showPicture(const RgbImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Frame-buffer pixel under a widget position: the frame fills the widget from its corner.
    static Pixel pixelAt(const QPointF& position);
    void moveTo(const QPointF& position);
    // Ends the drag of a button the event no longer reports held: its release went elsewhere.
    void followButtonsOf(const QSinglePointEvent& event);

    int wheelRemainder_ = 0;  // fine-grained wheels send parts of a notch

    SiteModel& model_;
    QtUi& ui_;
    QImage picture_;
};

}  // namespace vellacor
