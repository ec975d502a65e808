// Small-step pose relations checked cycle by cycle in a closed-loop run.
// Reads and writes only through the closed-loop runner.
#include "walk_rows.h"

#include <gtest/gtest.h>

#include "walk_loop.h"

namespace walktest {

namespace {

void CheckCycle(const LIP& l, const SmallStepRows& rows) {
    switch (l.mType) {
        case WALK_F:
            EXPECT_FLOAT_EQ(l.TorsoPos.y(), rows.forwardPerX * l.TorsoX + 0.03f);
            EXPECT_FLOAT_EQ(l.MoveFootPos.y(), rows.forwardPerX * l.MoveFootX);
            break;
        case WALK_HL:
            EXPECT_FLOAT_EQ(l.TorsoPos.x(), -rows.sideTorsoOffset);
            EXPECT_FLOAT_EQ(l.HoldFootPos.x(), rows.sideSupportPerY * l.HoldFootY);
            break;
        case WALK_HR:
            EXPECT_FLOAT_EQ(l.TorsoPos.x(), rows.sideTorsoOffset);
            EXPECT_FLOAT_EQ(l.HoldFootPos.x(), rows.sideSupportPerY * l.HoldFootY);
            EXPECT_FLOAT_EQ(l.MoveFootPos.x(), rows.rightSwingPerYHR * l.MoveFootYHR);
            break;
        default:
            ADD_FAILURE() << "walk type " << l.mType;
    }
}

}  // namespace

int CheckSmallStepRows(const SmallStepRows& rows) {
    int checked = 0;
    for (ACT_TYPE type : {WALK_F, WALK_HL, WALK_HR}) {
        ClosedLoop loop(true);
        for (int i = 0; i < 1000; ++i) {
            loop.Walk(type, 0, true, 1);
            if (loop.lip.mPhase != NORMAL_STEP || loop.lip.iIKFailures > 0) continue;
            CheckCycle(loop.lip, rows);
            ++checked;
        }
        EXPECT_EQ(loop.fig.ikFailures + loop.fig.startStepIKFailures, 0) << type;
        EXPECT_EQ(loop.fig.nonFinite, 0) << type;
    }
    return checked;
}

}  // namespace walktest
