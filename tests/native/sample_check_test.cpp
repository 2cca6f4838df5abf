// The judge of a calibration's samples, fed what panels of every regular
// shape report for touches on and off the targets.
#include "surface/sample_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/panel_model.h"
#include "sim/sim_config.h"
#include "surface/overlay_geometry.h"

namespace {

struct Screen {
    int width, height;
};
const Screen kScreens[] = {{640, 480}, {480, 272}, {1024, 768}};

// The panels a calibration must accept: every regular image of the screen.
const char* const kPanels[] = {
    "",                                   // the default: offset, skew, y inverted, a gentle bow
    "swap", "mirrorx", "mirrory",         // axes swapped, either mirrored
    "swap;mirrorx", "mirrorx;mirrory",    // turned by 90 and by 180 degrees
    "swap;mirrory;bits:12",               // turned by 270, 12-bit
    "bow:3", "swap;mirrorx;bits:12;bow:3",  // the bow a 9-point calibration corrects
};

PanelModel Panel(const char* knobs, Screen s) {
    SimConfig config;
    std::string error;
    EXPECT_TRUE(ParseSimConfig((std::string("panel=") + knobs).c_str(), &config, &error) || !*knobs) << error;
    return PanelModel(s.width, s.height, config.panel);
}

// The target positions of a run, in its order.
std::vector<int> Order(int mode) {
    return mode == 9 ? std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8} : std::vector<int>{0, 2, 4, 6, 8};
}

ScreenPoint At(int position, Screen s) {
    ScreenPoint p;
    TargetPixel(position, s.width, s.height, &p);
    return p;
}

// A run's table: each target touched at `touched[k]` (k in the run's order).
void Fill(const PanelModel& panel, int mode, const std::vector<ScreenPoint>& touched, CalibrationPoint table[9]) {
    const std::vector<int> order = Order(mode);
    for (size_t k = 0; k < order.size(); ++k) {
        RawPoint r = panel.Raw(touched[k].x, touched[k].y);
        table[order[k]] = CalibrationPoint{r.x, r.y};
    }
}

// The first time the run would refuse its samples (judged as each target
// completes), or nothing.
struct Refusal {
    bool refused = false;
    int taken = 0;
    SampleVerdict verdict = {true, -1, 0};
};
Refusal FirstRefusal(const CalibrationPoint table[9], int mode) {
    Refusal r;
    for (int taken = 1; taken <= mode && !r.refused; ++taken) {
        SampleVerdict v = JudgeSamples(table, mode, taken);
        if (!v.agree) r = Refusal{true, taken, v};
    }
    return r;
}

}  // namespace

TEST(SampleCheck, EveryRegularPanelIsAcceptedOnEveryScreenInBothModes) {
    for (const char* knobs : kPanels)
        for (Screen s : kScreens)
            for (int mode : {9, 5}) {
                CalibrationPoint table[9] = {};
                std::vector<ScreenPoint> touched;
                for (int p : Order(mode)) touched.push_back(At(p, s));
                Fill(Panel(knobs, s), mode, touched, table);
                Refusal r = FirstRefusal(table, mode);
                EXPECT_FALSE(r.refused) << "panel \"" << knobs << "\" " << s.width << "x" << s.height << ", mode "
                                        << mode << ": refused at target " << r.verdict.position << ", "
                                        << r.verdict.offPercent << "% off";
            }
}

// One target touched off its place, towards the target before it in the run
// (after it, for the first): at that target's place, as when the user did not
// see the target move; or 30 % or 20 % (which a steady hand may be) of the
// way to the grid's next target in that direction, one step away. In 5-point
// mode the step is to a target the run does not show, a midpoint.
TEST(SampleCheck, AMisplacedTouchIsRefusedAndNamedBeforeTheUpload) {
    const struct {
        int tenths;  // of the way: tenths of a step; 0: all the way to the other target
        bool refused;
    } ways[] = {{0, true}, {3, true}, {2, false}};
    for (const auto& way : ways)
        for (Screen s : {kScreens[0], kScreens[1]})
            for (int mode : {9, 5}) {
                const std::vector<int> order = Order(mode);
                for (size_t k = 0; k < order.size(); ++k) {
                    const int p = order[k], neighbour = order[k == 0 ? 1 : k - 1];
                    std::vector<ScreenPoint> touched;
                    for (int q : order) touched.push_back(At(q, s));
                    const ScreenPoint from = At(p, s), to = At(neighbour, s);
                    const int steps = mode == 5 && p != 0 && neighbour != 0 ? 2 : 1;
                    touched[k] = way.tenths == 0 ? to
                                                 : ScreenPoint{from.x + (to.x - from.x) * way.tenths / (10 * steps),
                                                               from.y + (to.y - from.y) * way.tenths / (10 * steps)};
                    CalibrationPoint table[9] = {};
                    Fill(Panel("", s), mode, touched, table);
                    Refusal r = FirstRefusal(table, mode);
                    const std::string what = "target " + std::to_string(p) + " " +
                                             (way.tenths ? std::to_string(way.tenths) + "/10 of a step" : "all the way") +
                                             " to " + std::to_string(neighbour) + ", " +
                                             std::to_string(s.width) + "x" + std::to_string(s.height) + ", mode " +
                                             std::to_string(mode);
                    EXPECT_EQ(r.refused, way.refused) << what << ": " << r.verdict.offPercent << "%";
                    if (!r.refused || !way.refused) continue;
                    // Judged no earlier than the touch itself (two touches in one place
                    // at once), and by the last target it names that touch; in 5-point
                    // mode, or the corner across the centre, which agrees as well with
                    // the other three.
                    EXPECT_GE(r.taken, (int)k + 1) << what;
                    if (r.verdict.position >= 0) {
                        EXPECT_GE(r.verdict.offPercent, 25) << what;
                    }
                    SampleVerdict last = JudgeSamples(table, mode, mode);
                    EXPECT_FALSE(last.agree) << what;
                    EXPECT_GE(last.offPercent, 25) << what;
                    const int across = p == 0 ? 0 : (p + 2) % 8 + 2;
                    if (mode == 9) EXPECT_EQ(last.position, p) << what;
                    else EXPECT_TRUE(last.position == p || last.position == across) << what << ": " << last.position;
                }
            }
}

TEST(SampleCheck, SamplesInOnePlaceOrOnOneLineAreRefused) {
    const Screen s = kScreens[0];
    const PanelModel panel = Panel("", s);
    const struct {
        const char* what;
        ScreenPoint (*touch)(int k, Screen s);
        int refusedBy;  // the targets taken when it is refused, at the latest
    } cases[] = {
        {"every target at the centre", [](int, Screen s) { return At(0, s); }, 2},
        {"along the top", [](int k, Screen s) { return ScreenPoint{s.width * (k + 1) / 12, 20}; }, 3},
        {"along the diagonal", [](int k, Screen s) { return ScreenPoint{s.width * (k + 1) / 12, s.height * (k + 1) / 12}; }, 3},
    };
    for (const auto& c : cases)
        for (int mode : {9, 5}) {
            std::vector<ScreenPoint> touched;
            for (int k = 0; k < mode; ++k) touched.push_back(c.touch(k, s));
            CalibrationPoint table[9] = {};
            Fill(panel, mode, touched, table);
            Refusal r = FirstRefusal(table, mode);
            EXPECT_TRUE(r.refused) << c.what << ", mode " << mode;
            EXPECT_LE(r.taken, c.refusedBy) << c.what << ", mode " << mode;
        }
}

// Whatever the table holds: raw values at the ends of 16 bits, out of range,
// and modes and counts that are no run's.
TEST(SampleCheck, AnyInputIsJudgedWithoutHarm) {
    CalibrationPoint ends[9], wild[9];
    for (int k = 0; k < 9; ++k) {
        ends[k] = CalibrationPoint{(k & 1) ? 65535 : 0, (k & 2) ? 65535 : 0};
        wild[k] = CalibrationPoint{k % 2 ? INT32_MIN : INT32_MAX, -k};
    }
    for (const CalibrationPoint* table : {ends, wild})
        for (int mode : {0, 5, 7, 9, 255})
            for (int taken : {-1, 0, 1, 5, 9, 10, 100}) {
                SampleVerdict v = JudgeSamples(table, mode, taken);
                EXPECT_TRUE(v.position >= -1 && v.position < 9 && v.offPercent >= 0 && v.offPercent <= 9999);
            }
}
