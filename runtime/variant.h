// The build-variant switch and the one table of the rules in which agent_alt differs from
// agent. Each program links one definition (runtime/variant.cpp compiled with or without
// CORVANE_ALT); globals `gAltBuild` and `gVariant`, read-only, read where each rule decides.
#pragma once

struct VariantRules {
    // Walking engine: agent_alt's own rows for the small sideways and forward steps.
    bool altSmallSteps;
    // Dispatcher: the opponent's goal kick is played as open play; the goal-kick handler
    // itself (reached only when called directly) then does nothing.
    bool goalKickOppIsPlayOn;
    // Open play: a second player besides number 8 supports the ball carrier (0: none).
    int secondSupportUnum;
    // Formation: the centre stays this far inside the opponent's goal line, metres.
    double centreMaxXInsideGoalLineM;
    // Formation: the left-front player prints "lf<unum>" every cycle it positions.
    bool printLeftFront;
    // Attack formation: stage 0's turn tolerance, degrees (agent's own table row when < 0).
    double attackFirstTurnToleranceDeg;
    // Attack formation: the turn tolerance widens by this much per metre to the ball.
    bool attackTurnLimitGrowsWithDistance;
    double attackTurnLimitPerMetreDeg;
    // Attack formation: small steps near each stage's edge (agent) or never (agent_alt).
    bool attackSmallStepsNearEdge;
    // Attack formation: the approach walk turns ahead of the slot's heading by this share.
    bool attackApproachLeadsHeading;
    double attackApproachLeadShare;
    // Attack formation: in place, face the goal (agent_alt) rather than the ball; the
    // support-free call (number 0) lines up with the goal by side-stepping at an angle.
    bool attackHoldFacesGoal;
    bool attackZeroAimsAtGoal;
    // Back-dribble: the bearing limit while walking on, degrees at the ball (it grows by
    // 10 per metre), and whether the reference bearing follows where the ball lies.
    double dribbleWalkOnLimitDeg;
    bool dribbleReferenceByBallPlace;
};

extern const bool gAltBuild;
extern const VariantRules gVariant;
