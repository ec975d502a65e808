// The goalkeeper's catch judge: a sliding window over the last samples of ball and
// opponents that tells when one opponent has been dribbling into the own box.
// Reads wm.m_vBallPos and wm.m_vOpponent; writes m_CatchJudge.
#include "behaviour/decision.h"
#include "runtime/corvane.h"

namespace {

constexpr int kJudgeTerm = 100;        // samples in the window
constexpr double kRiskRadius = 0.4;    // metres: an opponent this close controls the ball
constexpr int kKickerSamples = 76;     // nearest to the ball this often makes the kicker
constexpr int kControlSamples = 75;    // ... and this often within kRiskRadius means danger
constexpr int kLastKickerEntry = 8;

bool NearBall(const Vector& opp, const Vector& ball) {
    return WorldModel::GetDistInXY(opp, ball) < kRiskRadius;
}

// The queue's slots are read in place, oldest first, so the window keeps its order.
Vector MeanOf(const myQueue<Vector>& q) {
    Vector sum;
    for (int i = 0; i < q.count; ++i) sum = sum + q.data[(q.front + 1 + i) % myQueue<Vector>::kSlots];
    return q.count > 0 ? sum / q.count : sum;
}

void PushSample(Decision::CatchJudgeState& st, int nearIndex) {
    for (int j = 0; j < Decision::CatchJudgeState::kEntries; ++j) {
        const Vector& pos = wm.m_vOpponent[j].vAveragePos;
        st.Q_OppPosAry[j].enQueue(pos);
        if (NearBall(pos, wm.m_vBallPos)) ++st.iCntOppNearBall[j];
    }
    ++st.iCntOppAry[nearIndex];
    st.Q_KickerRecord.enQueue(nearIndex);
    st.Q_BallPosRecord.enQueue(wm.m_vBallPos);
}

// Counts leave with their sample by the same test that brought them in.
void PopOldestSample(Decision::CatchJudgeState& st) {
    int oldKicker = 0;
    if (st.Q_KickerRecord.getFront(oldKicker) == SUCCESS && oldKicker >= 0 &&
        oldKicker < Decision::CatchJudgeState::kEntries)
        --st.iCntOppAry[oldKicker];
    st.Q_KickerRecord.delQueue();
    Vector oldBall;
    st.Q_BallPosRecord.getFront(oldBall);
    for (int j = 0; j < Decision::CatchJudgeState::kEntries; ++j) {
        Vector oldPos;
        if (st.Q_OppPosAry[j].getFront(oldPos) == SUCCESS && NearBall(oldPos, oldBall))
            --st.iCntOppNearBall[j];
        st.Q_OppPosAry[j].delQueue();
    }
    st.Q_BallPosRecord.delQueue();
}

int FindKicker(const Decision::CatchJudgeState& st) {
    for (int j = Decision::CatchJudgeState::kEntries - 1; j >= 0; --j)
        if (st.iCntOppAry[j] >= kKickerSamples) return j;
    return -1;
}

}  // namespace

bool Decision::Golie_CatchJudge_new(Vector& vKickerPos, Vector& vAveBallPos, double iJudgeDistance) {
    CatchJudgeState& st = m_CatchJudge;
    PushSample(st, NearBallOppNum() - 1);
    if (st.Q_KickerRecord.size() < kJudgeTerm) {
        vKickerPos = wm.m_vOpponent[0].vAveragePos;
        vAveBallPos = wm.m_vBallPos;
        return false;
    }
    int kicker = FindKicker(st);
    if (kicker < 0 || kicker > kLastKickerEntry) kicker = 0;
    // Judge on the full window first; the pop then makes room for the next sample.
    vKickerPos = MeanOf(st.Q_OppPosAry[kicker]);
    vAveBallPos = MeanOf(st.Q_BallPosRecord);
    const bool inBox = vKickerPos.Vx <= iJudgeDistance && vAveBallPos.Vx <= iJudgeDistance;
    const bool bNeedCatchBall = inBox && st.iCntOppNearBall[kicker] >= kControlSamples;
    PopOldestSample(st);
    return bNeedCatchBall;
}
