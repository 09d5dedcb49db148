// Puts the system core and the headless platform back to their state at program start, freeing what
// an earlier test (or an interrupted start-up) left behind.
#pragma once

namespace kalder_test {
void ResetCore();

// ResetCore, then the drive map of a minimal installation (drive C: the installation folder, drive D:
// the first disc), written once per test program, so that a whole start-up gets past the data search.
void ResetCoreWithInstallation();
// Only the drive map of that installation (current drive C).
void MapMinimalInstallation();
}
