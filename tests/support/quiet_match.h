// Practice-match options the tests start from: a free loopback port, no event log on
// standard output, and a referee that changes play modes only when the test says so.
#pragma once
#include "practice_server/practice.h"

namespace standin {

inline practice::Options QuietMatch(bool scriptedReferee = true) {
    practice::Options o;
    o.port = 0;
    o.printEvents = false;
    o.autoReferee = !scriptedReferee;
    return o;
}

}  // namespace standin
