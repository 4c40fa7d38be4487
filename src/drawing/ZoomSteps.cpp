#include "drawing/ZoomSteps.h"

#include <cmath>

namespace korvane {

ZoomSteps::ZoomSteps() {
    float f = 0.9f;
    for (int i = 0; i <= LastLevel; ++i) {
        factors_[static_cast<size_t>(i)] = f;
        f += 0.1f;
    }
}

float ZoomSteps::factor(int level) const {
    if (level < 0 || level >= Slots)
        return 0;
    return factors_[static_cast<size_t>(level)];
}

void ZoomSteps::zoomIn() {
    if (level_ < LastLevel)
        ++level_;
}

void ZoomSteps::zoomOut() {
    if (level_ > 0)
        --level_;
}

int ZoomSteps::viewScale() const {
    return static_cast<int>(std::lround(static_cast<double>(factor(level_)) * ScaleAtFactorOne));
}

} // namespace korvane
