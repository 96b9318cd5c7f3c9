#pragma once
#include "camera/camera_inputs.h"
#include "camera/matrix.h"
#include "model/survey_point.h"

namespace vellacor {

// What drives the camera from frame to frame.
enum class CameraMode {
    Stationary,     // only the velocity moves the eye
    RotatingStart,  // glide to the orbit, then Rotating
    Rotating,       // orbit the target
    WildStart,      // glide to the wild orbit, then Wild
    Wild,           // orbit with changing height and radius
    RainCam,        // ride the first raindrop
    PlanViewStart,  // glide to a view straight down, then PlanViewEnd
    PlanViewEnd,    // becomes Stationary
    FlyTo,          // glide toward the ground under the cursor while the right button is held
    Freelook,       // free flight that bounces off the ground
};

// What one frame of the camera did.
struct CameraStep {
    bool moved = false;       // the eye or the direction changed
    bool modeEnded = false;   // a mode handed over to the next: the view must be redrawn
};

inline constexpr double kHalfPi = 1.5707963267948966;
inline constexpr double kPoleMargin = 0.03;              // views never point closer than this to straight up or down
inline constexpr double kMaxPolar = 3.1115926535897933;  // pi - kPoleMargin
inline constexpr int kTransitionFrames = 20;
// Radians the view turns about the target for each pixel of a left drag.
inline constexpr double kOrbitRadiansPerPixel = 0.005;
inline constexpr double kGroundClearance = 3.0;  // scene units the eye keeps above the surface

// The viewpoint of the 3D view, in scene coordinates (x easting, y northing,
// z elevation). Heights in the picture are multiplied by the vertical scale,
// so poses divide heights by it to keep the same picture.
struct Camera {
    CameraMode mode = CameraMode::Stationary;
    double phase = 4.71238898038469;   // orbit angle of Rotating and Wild; 3*pi/2 after a reset
    int groundTriangle = kNoTriangle;  // the triangle last found under the eye: the next search starts there
    int step = 0;                      // frame counter inside a transition
    Vec3 up{0.0, 0.0, 1.0};
    Vec3 target;    // the orbit target, shown as the axis marker
    Vec3 velocity;  // free flight, scene units per second
    Vec3 eye;
    double fieldOfView = kHalfPi;
    Matrix view = Matrix::identity();  // scene to camera space, rebuilt by BuildView
    Vec3 direction;                    // unit view direction

    // Per-frame increments of the running transition, worked out on its first frame.
    Vec3 transitionEyeStep;
    double transitionHeadingStep = 0.0;
    double transitionPolarStep = 0.0;

    // The mouse, for the fly-to; set by the view. Not owned.
    FlyToPointer* pointer = nullptr;

    // Fresh camera: vectors zero, identity view, no ground triangle; then Reset.
    void Construct();
    // Looking straight down from the origin, stationary; view built for 640 x 480.
    // The caller redraws the view.
    void Reset();
    CameraMode GetMode() const { return mode; }
    // Starts newMode and runs its first frame; the caller redraws the view.
    void SetMode(const CameraInputs& in, CameraMode newMode);

    // Pose on the orbit round the target at angle a (eye south of the target for 3*pi/2).
    void OrbitTo(const SiteFrame& site, double verticalScale, double a);
    // Pose on the wild orbit at angle a.
    void WildTo(const SiteFrame& site, double verticalScale, double a);

    // One frame of a 20-frame glide to eyeGoal and directionGoal, linear in the
    // eye and in the two direction angles. True while moving, false once done.
    bool Transition(int transitionStep, const Vec3& eyeGoal, const Vec3& directionGoal);

    // Advances the current mode by one frame of in.frameSeconds and applies the velocity.
    CameraStep Update(const CameraInputs& in);

    // view = translate(-eye) * scale z by vs * camera axes * scale y by width/height.
    void BuildView(double verticalScale, int width, int height);

    // Lifts the eye to kGroundClearance above the surface under it; true when it had to.
    bool KeepAboveGround(const SurfaceView& surface, const SiteFrame& site);
    // The target onto the surface below the site centre, once the surface is linked.
    void PlaceTargetOnSurface(const SurfaceView& surface, const Vec3& siteCentre, bool surfaceLinked);

    // Navigation.
    void Turn(double dh, double dp);
    void EaseToward(const Vec3& p);
    void OrbitBy(const SurfaceView& surface, const SiteFrame& site, double dx, double dy);
    void Zoom(double f);
    void MoveAlong(double d);
    // Into free look from Stationary, or back; on the way back the target goes
    // to what the middle of the last frame shows. The caller redraws the view.
    void ToggleFreelook(const CameraInputs& in, bool triangulated, const ScreenDepth& screen);

private:
    bool advance(const CameraInputs& in, bool& modeEnded);
    bool updateTransitionMode(const CameraInputs& in, CameraMode finalMode);
    bool updateRainCam(const CameraInputs& in);
    bool updateFlyTo(const CameraInputs& in);
    bool startFlyTo(const CameraInputs& in);
    bool endMode(const CameraInputs& in, CameraMode nextMode, bool& modeEnded);
};

}  // namespace vellacor
