// libFuzzer entry: arbitrary bytes as a heard team message (first byte: own number,
// command number and whether it was heard from oneself), decoded directly and through
// the parser; the same bytes as a ranking for the goalkeeper's payload.
// Globals: writes `SenseParse` and `decision.CoolDown`.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "perception/msgparse.h"
#include "runtime/corvane.h"
#include "worldmodel/worldmodel.h"

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

void CheckHeard(const WorldModel& model) {
    const PlayerInfoGK* gk[4] = {&model.HearInfoGK.Player1Info, &model.HearInfoGK.Player2Info,
                                 &model.HearInfoGK.Player3Info, &model.HearInfoGK.Player4Info};
    for (const PlayerInfoGK* e : gk) {
        Require(e->iNum >= 0 && e->iNum <= 9);
        Require(std::isfinite(e->dDistToBall) && std::isfinite(e->dAngleToBall));
    }
    const PlayerHearInfo& h = model.HearInfo;
    for (const Vector& v : {h.vPos, h.vBallPos, h.PlayerPos1.vPos, h.PlayerPos2.vPos})
        Require(std::isfinite(v.Vx) && std::isfinite(v.Vy) && v.Vz == 0);
    Require(model.m_iCmdUnum >= 0 && model.m_iCmdUnum <= 15);
}

void CheckPayload(WorldModel& model, const uint8_t* data, size_t size) {
    for (int k = 0; k < 4; ++k) {
        double dist = 0, angle = 0;
        if (size >= static_cast<size_t>(16 * (k + 1))) {
            std::memcpy(&dist, data + 16 * k, 8);
            std::memcpy(&angle, data + 16 * k + 8, 8);
        }
        model.m_NearestTeamMateInfo[k] = PlayerInfoGK{k < static_cast<int>(size) ? data[k] % 12 : 0,
                                                      size > 7 && (data[7] >> k & 1), dist, angle};
    }
    const std::string payload = model._GenerateSayInformationGK();
    Require(payload.size() == 20);
    for (char c : payload) Require(static_cast<uint8_t>(c) >= 42 && static_cast<uint8_t>(c) <= 123);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static WorldModel model;
    static std::string text;
    if (size == 0) return 0;
    model.m_iUnum = data[0] & 0x0F;
    model.m_iCmdUnum = data[0] >> 4 & 0x03;
    text.assign(reinterpret_cast<const char*>(data + 1), size - 1);

    SenseParse.m_HearMsg.sMsg = text;
    SenseParse.m_HearMsg.bValid = true;
    SenseParse.m_HearMsg.bIsHeardFromSelf = data[0] & 0x80;
    model.UpdateHearMsg();
    CheckHeard(model);

    SenseParse.Parse("(time (now 1.00))(hear Blue 0.98 -20 " + text + ")");
    model.UpdateHearMsg();
    CheckHeard(model);

    CheckPayload(model, data, size);
    return 0;
}
