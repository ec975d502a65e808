// Developer trace of what drove the body each cycle (walk or stop request, engine phase and
// step, key-frame motion, fall state), written to standard error when the agent runs with
// --motionlog, to find what a robot was doing when it fell. Reads `wm`, `Lip`, `ACT`.
#pragma once

namespace motionlog {

void Enable();
bool Enabled();
// One line for the cycle just decided; call after the decision, before the message goes out.
void Cycle();

}  // namespace motionlog
