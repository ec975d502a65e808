// Defines the build-variant switch and its table; compiled once per program (CORVANE_ALT for
// agent_alt). Globals: defines `gAltBuild` and `gVariant`.
#include "runtime/variant.h"

namespace {

constexpr VariantRules kAgentRules = {
    /*altSmallSteps=*/false,
    /*goalKickOppIsPlayOn=*/false,
    /*secondSupportUnum=*/0,
    /*centreMaxXInsideGoalLineM=*/0.975,
    /*printLeftFront=*/false,
    /*attackFirstTurnToleranceDeg=*/-1.0,
    /*attackTurnLimitGrowsWithDistance=*/false,
    /*attackTurnLimitPerMetreDeg=*/0.0,
    /*attackSmallStepsNearEdge=*/true,
    /*attackApproachLeadsHeading=*/false,
    /*attackApproachLeadShare=*/0.0,
    /*attackHoldFacesGoal=*/false,
    /*attackZeroAimsAtGoal=*/false,
    /*dribbleWalkOnLimitDeg=*/35.0,
    /*dribbleReferenceByBallPlace=*/false,
};

constexpr VariantRules kAltRules = {
    /*altSmallSteps=*/true,
    /*goalKickOppIsPlayOn=*/true,
    /*secondSupportUnum=*/9,
    /*centreMaxXInsideGoalLineM=*/1.95,
    /*printLeftFront=*/true,
    /*attackFirstTurnToleranceDeg=*/10.0,
    /*attackTurnLimitGrowsWithDistance=*/true,
    /*attackTurnLimitPerMetreDeg=*/10.0,
    /*attackSmallStepsNearEdge=*/false,
    /*attackApproachLeadsHeading=*/true,
    /*attackApproachLeadShare=*/0.25,
    /*attackHoldFacesGoal=*/true,
    /*attackZeroAimsAtGoal=*/true,
    /*dribbleWalkOnLimitDeg=*/20.0,
    /*dribbleReferenceByBallPlace=*/true,
};

}  // namespace

#ifdef CORVANE_ALT
const bool gAltBuild = true;
const VariantRules gVariant = kAltRules;
#else
const bool gAltBuild = false;
const VariantRules gVariant = kAgentRules;
#endif
