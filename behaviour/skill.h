// Behaviour skills. Placeholder until the skills land. Global: `skill` (corvane.cpp).
#pragma once

class Skill {};
