// Perceptor message parser. Placeholder body until the parser lands: only the number
// conversion is real (the options use it).
#include "perception/msgparse.h"

MsgParse::MsgParse() {}

void MsgParse::Parse(const std::string& sMsg) { (void)sMsg; }

double MsgParse::StringToFloat(std::string_view sNum) {
    if (sNum.empty()) return 0.0;
    bool negative = false;
    if (sNum.front() == '-') {
        negative = true;
        sNum.remove_prefix(1);
    }
    const size_t dot = sNum.find('.');
    const size_t k = dot == std::string_view::npos ? sNum.size() : dot;
    double place = 1.0;
    if (k == 0) {
        place = 0.1;
    } else {
        for (size_t i = 1; i < k; ++i) place *= 10.0;
    }
    double result = 0.0;
    for (char c : sNum) {
        if (c == '.') continue;
        result += (c - '0') * place;
        place /= 10.0;
    }
    return negative ? -result : result;
}
