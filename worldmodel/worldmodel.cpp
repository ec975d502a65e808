// World model construction and the per-cycle update order. Global: defines nothing; reads
// `SenseParse` and calls `gNao` through the update steps.
#include "worldmodel/worldmodel.h"

WorldModel::WorldModel()
    : m_vOppGoalLPos(m_dFieldLength / 2, m_dGoalWidth / 2, 0),
      m_vOppGoalRPos(m_dFieldLength / 2, -m_dGoalWidth / 2, 0),
      m_vOppGoalPos(15, 0, 0),
      m_vMyGoalPos(-m_dFieldLength / 2, 0, 0) {
    InitFlagPos();
}

void WorldModel::UpdateAll() {}
void WorldModel::UpdateBasicInfo() {}
void WorldModel::UpdatePlayModel() {}
void WorldModel::UpdateScore() {}
bool WorldModel::IsGoalUs() const { return false; }
bool WorldModel::IsGoalOpp() const { return false; }
double WorldModel::NormalizeAng(double dAngDeg) { return dAngDeg; }
double WorldModel::Round(double dNum, int) { return dNum; }
double WorldModel::GetDistInXY(const Vector&, const Vector&) { return 0.0; }
Vector WorldModel::GetPoint(const Vector& vStart, const Vector&, double) { return vStart; }
float WorldModel::getAngleBallToBodyY() { return angleBallToBodyY; }
float WorldModel::getAngleBallToBodyZ() { return angleBallToBodyZ; }
float WorldModel::getDistBallToBody() { return distBallToBody; }
float WorldModel::getAngleGoalOppLToBodyY() { return angleGoalOppLToBodyY; }
float WorldModel::getAngleGoalOppRToBodyY() { return angleGoalOppRToBodyY; }
float WorldModel::getAngleGoalOppToBodyY() { return angleGoalOppToBodyY; }
float WorldModel::getAngleGoalOppToBodyZ() { return angleGoalOppToBodyZ; }
float WorldModel::getDistGoalOppToBody() { return distGoalOppToBody; }
float WorldModel::getAngleFlagOppLToBodyY() { return angleFlagOppLToBodyY; }
float WorldModel::getAngleFlagOppRToBodyY() { return angleFlagOppRToBodyY; }
float WorldModel::getDistFlagOppLToBody() { return distFlagOppLToBody; }
float WorldModel::getDistFlagOppRToBody() { return distFlagOppRToBody; }
bool WorldModel::canSeeGoalOppL() const { return false; }
bool WorldModel::canSeeGoalOppR() const { return false; }
bool WorldModel::canSeeGoalOpp() const { return false; }
bool WorldModel::canSeeFlagOppL() const { return false; }
bool WorldModel::canSeeFlagOppR() const { return false; }
bool WorldModel::canSeeAnyFlag() const { return false; }
Vector WorldModel::getFlagPos(GameFlag_ID flag) const { return m_vFlagPos[flag]; }
bool WorldModel::ballInGoalAngle() { return false; }
void WorldModel::InitFlagPos() {}
bool WorldModel::SeeFlag() const { return false; }
double WorldModel::GetFaceAngInGlobal(int) const { return 0.0; }
double WorldModel::GetFaceAngInGlobalEx() { return m_dLastFaceAng; }
void WorldModel::UpdateAngle() {}
Vector WorldModel::GetObjPos(const Polar&) const { return m_vSelfPos; }
float WorldModel::GetAgentHeight() const { return 0.0f; }
float WorldModel::GetLength(const Polar&, float, int) const { return 0.0f; }
void WorldModel::GetAgentPos(double&) {}
void WorldModel::UpdateSelfPos() {}
void WorldModel::UpdatePlayerPos() {}
void WorldModel::UpdateBallPos() {}
void WorldModel::UpdateTeamMateInfo() {}
void WorldModel::UpdateNearestTeamMateInfo() {}
int WorldModel::GetNearestTeamMateNum() const { return m_NearestTeamMateInfo[0].iNum; }
void WorldModel::UpdateFallState(int) {}
FALLTYPE WorldModel::DetectFallState_Gyro(bool) { return FALL_NONE; }
FALLTYPE WorldModel::DetectFallState_Acc(bool) { return FALL_NONE; }
std::string WorldModel::_GenerateSayInformationGK() const { return std::string(); }
void WorldModel::UpdateHearMsg() {}
bool WorldModel::IsHearMsgValid(const std::string&) { return false; }
bool WorldModel::IsHeardMsgValidGK(const std::string&) { return false; }
PlayerHearInfo WorldModel::ParseHearStr(const std::string&) { return PlayerHearInfo(); }
PlayerHearInfoGK WorldModel::ParseHearStrGK(const std::string&) const { return PlayerHearInfoGK(); }
void WorldModel::ParseChangeInfo(u_8, int) {}
u_16 WorldModel::EncoderdDistGK(double) { return 0; }
u_16 WorldModel::EncoderdAngleGK(double) { return 0; }
double WorldModel::DecoderdDistGK(u_16) { return 0.0; }
double WorldModel::DecoderdAngleGK(u_16) { return 0.0; }
Vector WorldModel::DecoderVector(u_32) { return Vector(); }
u_32 WorldModel::EncoderVector(const Vector&) { return 0; }
