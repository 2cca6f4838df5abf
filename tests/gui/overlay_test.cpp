// The overlays drawn with real GDI into an enhanced metafile, record by record.
#include "surface/overlays.h"

#include <windows.h>

#include <vector>

#include "harness.h"

namespace {

struct Record {
    DWORD type;
    std::vector<LONG> args;  // pen: style, width, colour; select/delete: handle index; points: x, y, ...
};

int CALLBACK Collect(HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM context) {
    std::vector<Record>& out = *reinterpret_cast<std::vector<Record>*>(context);
    switch (r->iType) {
        case EMR_CREATEPEN: {
            const EMRCREATEPEN* p = reinterpret_cast<const EMRCREATEPEN*>(r);
            out.push_back({r->iType, {(LONG)p->ihPen, (LONG)p->lopn.lopnStyle, p->lopn.lopnWidth.x, (LONG)p->lopn.lopnColor}});
            break;
        }
        case EMR_SELECTOBJECT:
            out.push_back({r->iType, {(LONG)reinterpret_cast<const EMRSELECTOBJECT*>(r)->ihObject}});
            break;
        case EMR_DELETEOBJECT:
            out.push_back({r->iType, {(LONG)reinterpret_cast<const EMRDELETEOBJECT*>(r)->ihObject}});
            break;
        case EMR_MOVETOEX:
        case EMR_LINETO: {
            const EMRLINETO* l = reinterpret_cast<const EMRLINETO*>(r);
            out.push_back({r->iType, {l->ptl.x, l->ptl.y}});
            break;
        }
        case EMR_POLYLINE: {
            const EMRPOLYLINE* p = reinterpret_cast<const EMRPOLYLINE*>(r);
            Record rec{EMR_POLYLINE, {}};
            for (DWORD i = 0; i < p->cptl; ++i) rec.args.insert(rec.args.end(), {p->aptl[i].x, p->aptl[i].y});
            out.push_back(rec);
            break;
        }
        case EMR_POLYLINE16: {
            const EMRPOLYLINE16* p = reinterpret_cast<const EMRPOLYLINE16*>(r);
            Record rec{EMR_POLYLINE, {}};
            for (DWORD i = 0; i < p->cpts; ++i) rec.args.insert(rec.args.end(), {p->apts[i].x, p->apts[i].y});
            out.push_back(rec);
            break;
        }
    }
    return 1;
}

// Draws into a metafile DC; checks the DC ends with the pen it had on entry.
template <typename Draw>
std::vector<Record> Recorded(Draw draw) {
    HDC dc = CreateEnhMetaFileW(NULL, NULL, NULL, NULL);
    HGDIOBJ before = GetCurrentObject(dc, OBJ_PEN);
    draw(dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), before) << "the pen on entry is not selected back";
    HENHMETAFILE meta = CloseEnhMetaFile(dc);
    std::vector<Record> records;
    EnumEnhMetaFile(NULL, meta, Collect, &records, NULL);
    DeleteEnhMetaFile(meta);
    return records;
}

struct Pen {
    int width;
    COLORREF colour;
    std::vector<std::vector<LONG>> strokes;  // each a MoveTo/LineTo pair or a polyline
    bool operator==(const Pen& o) const { return width == o.width && colour == o.colour && strokes == o.strokes; }
};

void PrintTo(const Pen& pen, std::ostream* os) {
    *os << "pen " << pen.width << " 0x" << std::hex << pen.colour << std::dec << ":";
    for (const std::vector<LONG>& stroke : pen.strokes) *os << " " << ::testing::PrintToString(stroke);
}

// Splits the records into pens, checking the discipline of each: create,
// select, draw, select the previous pen back, delete; one pen at a time.
std::vector<Pen> Pens(const std::vector<Record>& records) {
    std::vector<Pen> pens;
    size_t i = 0;
    while (i < records.size()) {
        const Record& create = records[i];
        EXPECT_EQ(create.type, (DWORD)EMR_CREATEPEN) << "record " << i;
        if (create.type != EMR_CREATEPEN) return pens;
        LONG handle = create.args[0];
        EXPECT_EQ(create.args[1], PS_SOLID);
        Pen pen{(int)create.args[2], (COLORREF)create.args[3], {}};
        ++i;
        EXPECT_EQ(records[i].type, (DWORD)EMR_SELECTOBJECT);
        EXPECT_EQ(records[i].args[0], handle);
        ++i;
        while (i < records.size() && records[i].type != EMR_SELECTOBJECT) {
            if (records[i].type == EMR_MOVETOEX) {
                EXPECT_EQ(records[i + 1].type, (DWORD)EMR_LINETO);
                std::vector<LONG> line = records[i].args;
                line.insert(line.end(), records[i + 1].args.begin(), records[i + 1].args.end());
                pen.strokes.push_back(line);
                i += 2;
            } else {
                pen.strokes.push_back(records[i].args);
                ++i;
            }
        }
        EXPECT_LT(i + 1, records.size());
        if (i + 1 >= records.size()) return pens;
        EXPECT_NE(records[i].args[0], handle) << "the previous pen is selected back";
        EXPECT_EQ(records[i + 1].type, (DWORD)EMR_DELETEOBJECT);
        EXPECT_EQ(records[i + 1].args[0], handle);
        i += 2;
        pens.push_back(pen);
    }
    return pens;
}

template <typename Draw>
std::vector<Pen> PensOf(Draw draw) {
    return Pens(Recorded(draw));
}

std::vector<LONG> Line(LONG x0, LONG y0, LONG x1, LONG y1) { return {x0, y0, x1, y1}; }
std::vector<LONG> Vertical(LONG x, LONG h) { return Line(x, 0, x, h); }
std::vector<LONG> Horizontal(LONG y, LONG w) { return Line(0, y, w, y); }

std::vector<LONG> Square(LONG cx, LONG cy, LONG r) {
    return {cx - r, cy - r, cx - r, cy + r, cx + r, cy + r, cx + r, cy - r, cx - r, cy - r};
}

const ScreenSize k640{640, 480};

}  // namespace

TEST(Overlays, CalibrationFrameAt640x480) {
    const Pen frame = {2, 0xFFFFFF, {Horizontal(15, 640), Horizontal(465, 640), Vertical(20, 480), Vertical(620, 480),
                                     Line(320, 15, 320, 465), Line(20, 240, 620, 240)}};
    EXPECT_EQ(PensOf([](HDC dc) { DrawCalibrationFrame(dc); }), std::vector<Pen>{frame});
}

TEST(Overlays, LinearityGridWhiteThenYellowBand) {
    const Pen white = {1, 0xFFFFFF, {
        Horizontal(15, 640), Horizontal(465, 640), Vertical(20, 480),  Vertical(620, 480),   Vertical(320, 480),
        Horizontal(240, 640), Vertical(170, 480),  Vertical(470, 480), Horizontal(127, 640), Horizontal(352, 640)}};
    const Pen yellow = {1, 0x00FFFF, {
        Vertical(314, 480),   Vertical(326, 480),   Horizontal(236, 640), Horizontal(244, 640),
        Horizontal(11, 640),  Horizontal(19, 640),  Horizontal(461, 640), Horizontal(469, 640),
        Horizontal(123, 640), Horizontal(131, 640), Horizontal(348, 640), Horizontal(356, 640),
        Vertical(14, 480),    Vertical(26, 480),    Vertical(614, 480),   Vertical(626, 480),
        Vertical(164, 480),   Vertical(176, 480),   Vertical(464, 480),   Vertical(476, 480)}};
    EXPECT_EQ(PensOf([](HDC dc) { DrawLinearityGrid(dc, 10, k640); }), (std::vector<Pen>{white, yellow}));
}

TEST(Overlays, OffsetsThatRoundToZeroPutTheBandOnTheGrid) {
    std::vector<Pen> pens = PensOf([](HDC dc) { DrawLinearityGrid(dc, 1, k640); });  // 640 * 1 < 1000
    ASSERT_EQ(pens.size(), 2u);
    EXPECT_EQ(pens[1].strokes[0], Vertical(320, 480));
    EXPECT_EQ(pens[1].strokes[1], Vertical(320, 480));
    EXPECT_EQ(pens[1].strokes[2], Horizontal(240, 640));
}

TEST(Overlays, ProgressBarAndItsEraser) {
    EXPECT_EQ(PensOf([](HDC dc) { DrawProgressBar(dc, 62, k640); }),
              (std::vector<Pen>{{5, 0x0000E1, {Line(0, 475, 317, 475)}}}));
    EXPECT_EQ(PensOf([](HDC dc) { ClearProgressBar(dc); }),
              (std::vector<Pen>{{5, 0x808080, {Line(0, 475, 640, 475)}},
                                {2, 0xFFFFFF, {Vertical(20, 480), Vertical(620, 480)}}}));
}

TEST(Overlays, TargetRingsBlinkOnlyForLitOne) {
    const COLORREF grey = 0xC8D0C8;
    for (int lit : {1, 0, 2, -1}) {
        SCOPED_TRACE("lit " + std::to_string(lit));
        const bool red = lit == 1;
        EXPECT_EQ(PensOf([lit](HDC dc) { DrawTargetRings(dc, 0, lit); }),
                  (std::vector<Pen>{{2, red ? 0x0000FF : grey, {Square(320, 240, 5)}},
                                    {2, red ? 0x00FF00 : grey, {Square(320, 240, 10)}},
                                    {2, red ? 0xFF0000 : grey, {Square(320, 240, 15)}}}));
    }
}

TEST(Overlays, TouchedMarkerIsThreeYellowSquares) {
    std::vector<Pen> pens = PensOf([](HDC dc) { DrawTouchedMarker(dc, 8, k640); });
    ASSERT_EQ(pens.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pens[i].colour, 0x00FFFFu);
        EXPECT_EQ(pens[i].strokes[0], Square(620, 465, 5 * (i + 1)));
    }
}

TEST(Overlays, At320x240TheTopLeftTargetIsClippedAtTheCorner) {
    std::vector<Pen> pens = PensOf([](HDC dc) { DrawTargetRings(dc, 4, 1, ScreenSize{320, 240}); });
    ASSERT_EQ(pens.size(), 3u);
    EXPECT_EQ(pens[2].strokes[0], Square(10, 7, 15));
    EXPECT_EQ(pens[2].strokes[0][0], -5);
    EXPECT_EQ(pens[2].strokes[0][1], -8);
    std::vector<Pen> frame = PensOf([](HDC dc) { DrawCalibrationFrame(dc, ScreenSize{320, 240}); });
    ASSERT_EQ(frame.size(), 1u);
    EXPECT_EQ(frame[0].strokes[0], Horizontal(7, 320));
    EXPECT_EQ(frame[0].strokes[3], Vertical(310, 240));
}

TEST(Overlays, PositionsOutsideTheTableDrawNothing) {
    for (int position : {-1, 9, 10}) {
        EXPECT_TRUE(Recorded([position](HDC dc) { DrawTargetRings(dc, position, 1); }).empty());
        EXPECT_TRUE(Recorded([position](HDC dc) { DrawTouchedMarker(dc, position); }).empty());
    }
}
