// Debug drawing client. Placeholder until it lands. Global: `Tester` (corvane.cpp).
#pragma once

class TestModule {};
