// Robot body model. Placeholder until the body model lands. Global: `gNao` (corvane.cpp).
#pragma once

class Nao {
public:
    void UpdateLink() {}
};
