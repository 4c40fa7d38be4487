#pragma once

#include <array>

namespace korvane {

// The zoom of one drawing tab: twelve steps of single-precision factors 0.9, 1.0, ... 2.0, each
// made from the one before by adding 0.1 (so the sums carry float rounding, as stored), and the
// view scale a surface is given for the step: 4900 at a factor of 1.
class ZoomSteps {
public:
    static constexpr int Slots = 13; // the last slot stays 0
    static constexpr int LastLevel = 11;
    static constexpr int StartLevel = 1;
    static constexpr int ScaleAtFactorOne = 4900;

    ZoomSteps();

    int level() const { return level_; }
    float factor(int level) const;
    // One step in or out, stopping at the ends; the view scale is set again either way.
    void zoomIn();
    void zoomOut();
    // Back to factor 1.0, as when a tank or an inspection is picked.
    void reset() { level_ = StartLevel; }
    // ViewScaleX and ViewScaleY for the current level.
    int viewScale() const;

private:
    std::array<float, Slots> factors_{};
    int level_ = StartLevel;
};

} // namespace korvane
