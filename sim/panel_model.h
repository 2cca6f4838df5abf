// The emulated touch panel: where on the screen a touch lands, in the raw
// 16-bit coordinates the controller reports. Deliberately not the identity:
// an offset, a different scale per axis, a slight skew, an inverted y axis and
// a gentle bow in y, so that a calibration has something to correct.
#pragma once
#include <stdint.h>

struct RawPoint {
    int32_t x;
    int32_t y;
};

// How a panel may differ from the default one while still being a regular
// image of the screen: its raw axes swapped (the raw x following the
// screen's y), either raw axis running the other way, fewer bits (12 gives
// 0 to 4095), and a bow of its own: each raw axis bent by so many percent of
// its span across the other.
struct PanelShape {
    bool swap = false;
    bool mirrorX = false;  // the raw x, after any swap, runs the other way
    bool mirrorY = false;
    int bits = 16;         // 12 to 16
    int bowPercent = -1;   // -1: the default panel's gentle bow in y alone
};

class PanelModel {
public:
    PanelModel(int screenWidth, int screenHeight, PanelShape shape = PanelShape())
        : width_(screenWidth), height_(screenHeight), shape_(shape) {}
    RawPoint Raw(double screenX, double screenY) const;
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_;
    int height_;
    PanelShape shape_;
};

// The firmware's mapping from raw coordinates back to the screen, built from
// an uploaded nine-point table: affine within two triangles per quadrant.
class TableMapping {
public:
    // raw[k] belongs to target position k, whose screen pixel is target[k].
    TableMapping(const RawPoint raw[9], const double targetX[9], const double targetY[9]);
    bool Valid() const { return valid_; }
    void Map(double rawX, double rawY, double* screenX, double* screenY) const;

private:
    struct Triangle {
        int a, b, c;
    };
    Triangle triangles_[8];
    int count_ = 0;
    double rx_[9], ry_[9], sx_[9], sy_[9];
    bool valid_ = false;
};

struct CalibrationQuality {
    bool valid = false;
    double errTargets = 100.0;  // largest error at the nine targets, % of the extent
    double errGrid = 100.0;     // largest error on a 17x17 grid over the screen
};

CalibrationQuality MeasureCalibration(const PanelModel& panel, const RawPoint table[9]);
