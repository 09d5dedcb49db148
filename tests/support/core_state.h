// Puts the system core and the headless platform back to their state at program start, freeing what
// an earlier test (or an interrupted start-up) left behind.
#pragma once

namespace kalder_test {
void ResetCore();
}
