// Ball, opponent and team-mate tracking and the nearest-to-ball ranking.
// Globals: reads `SenseParse` (sightings).
#include "worldmodel/worldmodel.h"

void WorldModel::UpdatePlayerPos() {}
void WorldModel::UpdateBallPos() {}
void WorldModel::UpdateTeamMateInfo() {}
void WorldModel::UpdateNearestTeamMateInfo() {}
int WorldModel::GetNearestTeamMateNum() const { return m_NearestTeamMateInfo[0].iNum; }
