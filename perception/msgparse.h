// Perceptor message parser. Placeholder: only the number conversion and team name exist
// until the parser lands. Global: `SenseParse` (corvane.cpp).
#pragma once
#include <string>
#include <string_view>

class MsgParse {
public:
    void Parse(const std::string& sMsg) { (void)sMsg; }
    static double StringToFloat(std::string_view sNum);

    std::string m_sTeamName = "Corvane3D";
};
