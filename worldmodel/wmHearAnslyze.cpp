// Team messages: the goalkeeper's payload and the reception of both payload formats.
// Globals: reads `SenseParse` (heard message), writes `decision.CoolDown`.
#include "worldmodel/worldmodel.h"

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
