#include "surface/sample_check.h"

#include <stdint.h>

#include "surface/calibration_capture.h"
#include "surface/overlay_geometry.h"

namespace {

// A panel's raw step between neighbouring targets is hundreds of units at
// the least; samples closer than this lie in one place.
const int32_t kLeastStep = 16;

// Raw values are 16 bits, grid places 0 to 2: every difference, step and
// offset below fits in 32 bits (at most 2^21), and only the products of
// two of them need 64.
struct Sample {
    int position;
    int32_t column, row;  // on the targets' grid, 0 to 2
    int32_t x, y;         // raw, 0 to 65535
};

int32_t Raw(int32_t v) { return v < 0 ? 0 : v > 65535 ? 65535 : v; }
int32_t Abs(int32_t v) { return v < 0 ? -v : v; }
int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }
int32_t Larger(int32_t a, int32_t b) { return a > b ? a : b; }
int64_t Larger64(int64_t a, int64_t b) { return a > b ? a : b; }

struct Vector {
    int32_t x, y;
};
int64_t Cross(Vector a, Vector b) { return (int64_t)a.x * b.y - (int64_t)a.y * b.x; }
int32_t Size(Vector v) { return Larger(Abs(v.x), Abs(v.y)); }

// The regular grid through three samples (an affine image of the targets'
// grid), kept multiplied by d, the determinant of their grid places, so that
// everything stays whole: a sample's place on it times d is
// origin * d + (column - c0) * columnStep + (row - r0) * rowStep.
struct Grid {
    const Sample* origin;
    int32_t d;
    Vector columnStep, rowStep;  // each times d
    int64_t det;                 // Cross(columnStep, rowStep): the area of one cell, times d squared
};

enum Fit { kNoGrid, kCollapsed, kGrid };

Fit GridThrough(const Sample& a, const Sample& b, const Sample& c, Grid* g) {
    const int32_t bc = b.column - a.column, br = b.row - a.row, cc = c.column - a.column, cr = c.row - a.row;
    g->origin = &a;
    g->d = bc * cr - cc * br;
    if (g->d == 0) return kNoGrid;  // three targets on one line fix no grid
    const Vector bv = {b.x - a.x, b.y - a.y}, cv = {c.x - a.x, c.y - a.y};
    g->columnStep = {bv.x * cr - cv.x * br, bv.y * cr - cv.y * br};
    g->rowStep = {bc * cv.x - cc * bv.x, bc * cv.y - cc * bv.y};
    g->det = Cross(g->columnStep, g->rowStep);
    const int32_t least = kLeastStep * Abs(g->d);
    // Samples in one place, or so near one line that a cell is a sliver:
    // its sides within about 14 degrees of each other.
    const bool open = Size(g->columnStep) >= least && Size(g->rowStep) >= least &&
                      4 * Abs64(g->det) >= (int64_t)Size(g->columnStep) * Size(g->rowStep);
    return open ? kGrid : kCollapsed;
}

// Where the others put a sample nowhere, their samples having collapsed.
const int64_t kNowhere = 1000000;

// The thousandths of whole that part is (both positive), 64,000 at most,
// with a 32-bit division: the 486 has no 64-bit one. Both are brought down
// together until whole fits in 15 bits, which keeps the ratio to a
// thousandth.
int64_t Permille(int64_t part, int64_t whole) {
    if (part >= whole * 64) return 64000;
    while (whole >= (1 << 15)) part >>= 1, whole >>= 1;
    return (uint32_t)part * 1000u / (uint32_t)whole;
}

// How far a sample lies from its place on the grid, along the grid's
// columns and rows, the larger of the two, in thousandths of a step.
int64_t OffPermille(const Grid& g, const Sample& s) {
    const int32_t dc = s.column - g.origin->column, dr = s.row - g.origin->row;
    const Vector e = {(s.x - g.origin->x) * g.d - dc * g.columnStep.x - dr * g.rowStep.x,
                      (s.y - g.origin->y) * g.d - dc * g.columnStep.y - dr * g.rowStep.y};
    return Permille(Larger64(Abs64(Cross(e, g.rowStep)), Abs64(Cross(g.columnStep, e))), Abs64(g.det));
}

// How far sample s lies from where the other samples of `among` (one bit
// each) put it: from its place on the grids through three of them, the
// median, so that the grids a misplaced sample bends are outvoted. 0 where
// no three of them stand on the targets so as to fix a grid; kNowhere where
// those that do have collapsed.
int64_t OffFromTheOthers(const Sample* samples, int taken, unsigned among, int s) {
    int64_t offs[56];  // at most 8 others: 56 triples of them
    int count = 0;
    bool collapsed = false;
    for (int i = 0; i < taken; ++i)
        for (int j = i + 1; j < taken; ++j)
            for (int k = j + 1; k < taken && count < 56; ++k) {
                Grid g;
                const unsigned triple = 1u << i | 1u << j | 1u << k;
                if ((triple & among) != triple || (triple >> s & 1)) continue;
                const Fit fit = GridThrough(samples[i], samples[j], samples[k], &g);
                collapsed |= fit == kCollapsed;
                if (fit != kGrid) continue;
                int64_t off = OffPermille(g, samples[s]);
                int at = count++;
                for (; at > 0 && offs[at - 1] > off; --at) offs[at] = offs[at - 1];
                offs[at] = off;
            }
    return count ? offs[(count - 1) / 2] : collapsed ? kNowhere : 0;
}

// Whether every sample of `among` lies within `limit` of where the others put it.
bool Agree(const Sample* samples, int taken, unsigned among, int64_t limit) {
    for (int s = 0; s < taken; ++s)
        if ((among >> s & 1) && OffFromTheOthers(samples, taken, among, s) >= limit) return false;
    return true;
}

}  // namespace

SampleVerdict JudgeSamples(const CalibrationPoint table[kCalibrationPoints], int mode, int taken) {
    const SampleVerdict agree = {true, -1, 0}, oneLine = {false, -1, 0};  // on one line, or collapsed
    if ((mode != 5 && mode != 9) || taken < 2) return agree;
    if (taken > mode) taken = mode;
    Sample samples[kCalibrationPoints];
    for (int k = 0; k < taken; ++k) {
        const int p = TargetPositionOf(mode, k);
        const int32_t spacing = kCentre - kNearMargin;
        samples[k] = {p, (TargetPositions[p].x - kNearMargin) / spacing, (TargetPositions[p].y - kNearMargin) / spacing,
                      Raw(table[p].x), Raw(table[p].y)};
    }
    // Two touches in one place, which no regular panel reports for two
    // targets: where the others cannot tell which is off, the later is blamed
    // (a tap where the last target was, say), a whole step off or more.
    SampleVerdict onePlace = oneLine;
    for (int j = 1; j < taken; ++j)
        for (int i = 0; i < j; ++i) {
            const int32_t apart = Larger(Abs(samples[j].column - samples[i].column), Abs(samples[j].row - samples[i].row));
            if (onePlace.position < 0 &&
                Size(Vector{samples[j].x - samples[i].x, samples[j].y - samples[i].y}) < kLeastStep * apart)
                onePlace = SampleVerdict{false, samples[j].position, (int)(100 * apart)};
        }
    if (taken == 2) return onePlace.position < 0 ? agree : onePlace;
    bool grid = false;
    for (int i = 0; i < taken && !grid; ++i)
        for (int j = i + 1; j < taken && !grid; ++j)
            for (int k = j + 1; k < taken && !grid; ++k) {
                Grid g;
                grid = GridThrough(samples[i], samples[j], samples[k], &g) == kGrid;
            }
    if (!grid) return onePlace;

    // A quarter of a step, once all are taken. Before, a misplaced touch may
    // itself fix the grid the others are judged by, and stretch their
    // offsets: only a third of a step is refused then.
    const int64_t limit = taken < mode ? 334 : 250;  // thousandths of a step
    const unsigned all = (1u << taken) - 1;
    // Two touches in one place are wrong whatever the rest say.
    const SampleVerdict agreeing = onePlace.position < 0 ? agree : onePlace;
    if (Agree(samples, taken, all, limit)) return agreeing;
    // A touch far off bends where the others put the rest, the more so where
    // it counts twice (the centre of a 5-point run, between two corners). So
    // the touch to blame is one without which the others agree, the nearest
    // such (on a tie the later one: the touch the user has just made). It is
    // refused only if it lies a limit away itself. If no one touch explains
    // the rest, the furthest off is named.
    int blamed = -1, furthest = 0;
    int64_t blamedOff = 0, furthestOff = -1;
    for (int s = 0; s < taken; ++s) {
        const int64_t off = OffFromTheOthers(samples, taken, all, s);
        if (off >= furthestOff) furthest = s, furthestOff = off;
        if ((blamed < 0 || off <= blamedOff) && Agree(samples, taken, all & ~(1u << s), limit))
            blamed = s, blamedOff = off;
    }
    if (blamed >= 0 && blamedOff < limit) return agreeing;
    if (blamed < 0) blamed = furthest, blamedOff = furthestOff;
    if (blamedOff >= kNowhere) return onePlace;
    return SampleVerdict{false, samples[blamed].position, (int)blamedOff / 10};  // below kNowhere
}
