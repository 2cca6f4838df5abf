// The judge of a calibration's samples on anything a driver could report:
// nine raw points of 16 bits each, any mode, any count of targets taken.
#include <stdint.h>
#include <stdlib.h>

#include "surface/sample_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 + 4 * kCalibrationPoints) return 0;
    const int mode = data[0] & 1 ? 9 : 5, taken = data[1] % 11;
    CalibrationPoint table[kCalibrationPoints];
    for (int k = 0; k < kCalibrationPoints; ++k) {
        const uint8_t* p = data + 2 + 4 * k;
        table[k] = CalibrationPoint{p[0] | p[1] << 8, p[2] | p[3] << 8};
    }
    const SampleVerdict v = JudgeSamples(table, mode, taken);
    if (v.position < -1 || v.position >= kCalibrationPoints || v.offPercent < 0 || v.offPercent > 9999) abort();
    if (v.agree && v.position != -1) abort();
    return 0;
}
