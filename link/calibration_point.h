// Raw controller coordinates of one calibration target.
#pragma once
#include <stdint.h>

struct CalibrationPoint {
    int32_t x;  // 0..65535
    int32_t y;  // 0..65535
};

const int kCalibrationPoints = 9;
