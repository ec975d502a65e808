// Walking engine. Placeholder until the walking engine lands. Global: `Lip` (corvane.cpp).
#pragma once

class LIP {};
