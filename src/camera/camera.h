#pragma once
// Placeholder camera: the full camera (modes, transitions, view matrix) replaces
// this record. The site model owns one and the open path resets it.
namespace vellacor {

struct Camera {
    int mode = 0;
    double phase = 4.71238898038469;

    void Reset() { mode = 0; phase = 4.71238898038469; }
    void OrbitTo(double heading) { phase = heading; }
};

}  // namespace vellacor
