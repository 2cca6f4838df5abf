#include "sim/panel_model.h"

#include <math.h>

RawPoint PanelModel::Raw(double x, double y) const {
    double u = x / width_, v = y / height_;
    double rx = 3100 + 57000 * u + 900 * v;
    double ry = 61800 - 54000 * v - 700 * u;
    if (shape_.bowPercent < 0) {
        ry += 1500 * u * (1 - u);
    } else {  // the bend is largest midway: bow percent of the axis's span
        rx += shape_.bowPercent / 100.0 * 57000 * 4 * v * (1 - v);
        ry += shape_.bowPercent / 100.0 * 54000 * 4 * u * (1 - u);
    }
    if (shape_.swap) {
        double t = rx;
        rx = ry;
        ry = t;
    }
    if (shape_.mirrorX) rx = 65535 - rx;
    if (shape_.mirrorY) ry = 65535 - ry;
    const double scale = (double)(1 << shape_.bits) / 65536;
    const double top = (1 << shape_.bits) - 1;
    auto clamp = [top, scale](double r) {
        r *= scale;
        return (int32_t)(r < 0 ? 0 : r > top ? top : lround(r));
    };
    return RawPoint{clamp(rx), clamp(ry)};
}

namespace {

// Position indices laid out as they stand on the screen, row by row.
const int kGrid[3][3] = {{4, 3, 2}, {5, 0, 1}, {6, 7, 8}};

// Where the firmware expects target k, as x and y fractions of the screen in
// 1/4096: the centre, then anticlockwise from the middle of the right side.
// The firmware's own table, so a program that shows a target elsewhere gets
// a calibration error for it.
const int kTargetFractions[9][2] = {{2048, 2048}, {3968, 2048}, {3968, 128}, {2048, 128}, {128, 128},
                                    {128, 2048},  {128, 3968},  {2048, 3968}, {3968, 3968}};

}  // namespace

TableMapping::TableMapping(const RawPoint raw[9], const double tx[9], const double ty[9]) {
    for (int k = 0; k < 9; ++k) {
        rx_[k] = raw[k].x;
        ry_[k] = raw[k].y;
        sx_[k] = tx[k];
        sy_[k] = ty[k];
    }
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) {
            int tl = kGrid[r][c], tr = kGrid[r][c + 1], bl = kGrid[r + 1][c], br = kGrid[r + 1][c + 1];
            const Triangle halves[2] = {{tl, tr, br}, {tl, br, bl}};
            for (const Triangle& t : halves) {
                double area = (rx_[t.b] - rx_[t.a]) * (ry_[t.c] - ry_[t.a]) -
                              (rx_[t.c] - rx_[t.a]) * (ry_[t.b] - ry_[t.a]);
                if (fabs(area) > 1e-6) triangles_[count_++] = t;
            }
        }
    }
    valid_ = count_ == 8;
}

void TableMapping::Map(double x, double y, double* sx, double* sy) const {
    // The triangle that contains the point, or failing that (outside the
    // targets' span) the one it lies least outside of, extrapolated.
    double best = -1e300, bestL[3] = {0, 0, 0};
    const Triangle* bestT = nullptr;
    for (int i = 0; i < count_; ++i) {
        const Triangle& t = triangles_[i];
        double det = (rx_[t.b] - rx_[t.a]) * (ry_[t.c] - ry_[t.a]) - (rx_[t.c] - rx_[t.a]) * (ry_[t.b] - ry_[t.a]);
        double l1 = ((x - rx_[t.a]) * (ry_[t.c] - ry_[t.a]) - (rx_[t.c] - rx_[t.a]) * (y - ry_[t.a])) / det;
        double l2 = ((rx_[t.b] - rx_[t.a]) * (y - ry_[t.a]) - (x - rx_[t.a]) * (ry_[t.b] - ry_[t.a])) / det;
        double l0 = 1 - l1 - l2;
        double worst = fmin(l0, fmin(l1, l2));
        if (worst > best) {
            best = worst;
            bestT = &t;
            bestL[0] = l0;
            bestL[1] = l1;
            bestL[2] = l2;
        }
    }
    if (!bestT) {
        *sx = *sy = 0;
        return;
    }
    *sx = bestL[0] * sx_[bestT->a] + bestL[1] * sx_[bestT->b] + bestL[2] * sx_[bestT->c];
    *sy = bestL[0] * sy_[bestT->a] + bestL[1] * sy_[bestT->b] + bestL[2] * sy_[bestT->c];
}

CalibrationQuality MeasureCalibration(const PanelModel& panel, const RawPoint table[9]) {
    int w = panel.Width(), h = panel.Height();
    double tx[9], ty[9];
    for (int k = 0; k < 9; ++k) {
        tx[k] = (int)(((int64_t)w * kTargetFractions[k][0]) >> 12);
        ty[k] = (int)(((int64_t)h * kTargetFractions[k][1]) >> 12);
    }
    TableMapping mapping(table, tx, ty);
    CalibrationQuality q;
    if (!mapping.Valid()) return q;
    auto error = [&](double x, double y) {
        RawPoint raw = panel.Raw(x, y);
        double mx, my;
        mapping.Map(raw.x, raw.y, &mx, &my);
        return fmax(fabs(mx - x) / w, fabs(my - y) / h) * 100.0;
    };
    q.valid = true;
    q.errTargets = 0;
    for (int k = 0; k < 9; ++k) q.errTargets = fmax(q.errTargets, error(tx[k], ty[k]));
    q.errGrid = 0;
    for (int i = 0; i <= 16; ++i)
        for (int j = 0; j <= 16; ++j) q.errGrid = fmax(q.errGrid, error(i * (w - 1) / 16.0, j * (h - 1) / 16.0));
    return q;
}
