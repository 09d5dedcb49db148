// The hero's state as one text line a frame: what the scripted runs compare with their goldens.
#pragma once
#include <string>

namespace kalder_test {

// "<frame> <held keys> x y z heading pitch tilt mode anim frame life gauge air coll0 measure fb2 fb4
// fb7 landing takeoff projectiles": positions, the animation frame, the gauges and the landing speed
// with three decimals, the collision and flag bytes in hex, then the projectiles in use. Ends in "\n".
std::string PlayTraceLine(int frame, const std::string &held);

} // namespace kalder_test
