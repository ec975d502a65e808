// Counts heap allocations made through operator new in this test program, so tests can
// check that per-cycle paths do not allocate once warmed up.
#pragma once

namespace alloc_counter {
long Count();
}
