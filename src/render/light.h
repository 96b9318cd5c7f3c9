#pragma once
namespace vellacor {

struct Light {
    double x = 0, y = 0, z = 0;
    int lightMode = 0;  // 0 headlamp, 1 circling, 2 stationary
    double angle = 0;
};

}  // namespace vellacor
