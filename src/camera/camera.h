#pragma once
#include "camera/camera_inputs.h"
#include "camera/matrix.h"
#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;

enum CameraMode : int {
    Stationary = 0,     // only the velocity moves the eye
    RotatingStart = 1,  // glide to the orbit, then Rotating
    Rotating = 2,       // orbit the target
    WildStart = 3,      // glide to the wild orbit, then Wild
    Wild = 4,           // orbit with changing height and radius
    RainCam = 5,        // ride the first raindrop
    PlanViewStart = 6,  // glide to a view straight down, then PlanViewEnd
    PlanViewEnd = 7,    // becomes Stationary
    FlyTo = 8,          // glide toward the ground under the cursor while the right button is held
    Freelook = 9,       // free flight that bounces off the ground
};

inline constexpr double kHalfPi = 1.5707963267948966;
inline constexpr double kPoleMargin = 0.03;              // views never point closer than this to straight up or down
inline constexpr double kMaxPolar = 3.1115926535897933;  // pi - kPoleMargin
inline constexpr int kTransitionFrames = 20;
inline constexpr double kGroundClearance = 3.0;  // scene units the eye keeps above the surface

// The viewpoint of the 3D view, in scene coordinates (x easting, y northing,
// z elevation). Heights in the picture are multiplied by the vertical scale,
// so poses divide heights by it to keep the same picture.
struct Camera {
    int mode = Stationary;
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
    void Construct(SiteModel& site);
    // Looking straight down from the origin, stationary; view built for 640 x 480.
    void Reset(SiteModel& site);
    int GetMode() const { return mode; }
    void SetMode(SiteModel& site, int newMode);

    // Pose on the orbit round the target at angle a (eye south of the target for 3*pi/2).
    void OrbitTo(const SiteModel& site, double a);
    // Pose on the wild orbit at angle a.
    void WildTo(const SiteModel& site, double a);

    // One frame of a 20-frame glide to eyeGoal and directionGoal, linear in the
    // eye and in the two direction angles. True while moving, false once done.
    bool Transition(int transitionStep, const Vec3& eyeGoal, const Vec3& directionGoal);

    // Advances the current mode by one frame of site.cycle.frameSeconds and applies
    // the velocity. True when the eye or direction changed.
    bool Update(SiteModel& site);

    // view = translate(-eye) * scale z by vs * camera axes * scale y by width/height.
    void BuildView(double verticalScale, int width, int height);

    // Lifts the eye to kGroundClearance above the surface under it; true when it had to.
    bool KeepAboveGround(const SiteModel& site);
    // The target onto the surface below the site centre.
    void PlaceTargetOnSurface(const SiteModel& site);

    // Navigation.
    void Turn(double dh, double dp);
    void EaseToward(const Vec3& p);
    void OrbitBy(const SiteModel& site, double dx, double dy);
    void Zoom(double f);
    void MoveAlong(double d);
    void ToggleFreelook(SiteModel& site);

private:
    bool UpdateTransitionMode(SiteModel& site, int finalMode);
    bool UpdateRainCam(SiteModel& site);
    bool UpdateFlyTo(SiteModel& site);
    bool StartFlyTo(SiteModel& site);
    bool EndMode(SiteModel& site, int nextMode);
};

}  // namespace vellacor
