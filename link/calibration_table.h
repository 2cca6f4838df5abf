// Raw controller coordinates of the nine calibration targets.
#pragma once
#include <stdint.h>

struct CalibrationPoint {
    int32_t x;  // 0..65535
    int32_t y;  // 0..65535
};

const int kCalibrationPoints = 9;

// Pair k belongs to target position k; kept between runs.
extern CalibrationPoint CalibrationTable[kCalibrationPoints];
