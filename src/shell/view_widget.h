#pragma once
#include <QImage>
#include <QWidget>

namespace vellacor {

struct SiteModel;
class QtUi;

// The 3D view: shows the last frame the core produced and passes keys and
// mouse state to the core. It holds no view parameters of its own.
class ViewWidget : public QWidget {
    Q_OBJECT
public:
    ViewWidget(SiteModel& model, QtUi& ui, QWidget* parent = nullptr);

    // The picture as the user sees it, for tests and screenshots.
    QImage currentPicture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QImage composePicture() const;

    SiteModel& model_;
    QtUi& ui_;
    QImage picture_;
};

}  // namespace vellacor
