// Shared between the file service and the back-ends: the back-end's start hook and the knobs that
// only the headless back-end's test controls turn.
#pragma once
#include <functional>
#include <string>
#include <vector>

// Called once, before the first use of the file service. The SDL back-end loads the drive map from
// the environment here; the headless back-end starts with an empty map.
void FILES_BackEndStart();

enum FILES_Op { FILES_OP_OPEN, FILES_OP_CREATE, FILES_OP_READ, FILES_OP_WRITE, FILES_OP_SEEK, FILES_OP_CLOSE,
               FILES_OP_SYNC, FILES_OP_RENAME };

struct FILES_Fault {
    int op;
    std::string name; // last component of the host path, compared without regard to case
    int nth;          // 1-based call that fails; 0 = every call
    int effect;       // -1, or for read and write a short transfer of this many bytes
    int calls;        // matching calls seen so far
};

extern std::vector<FILES_Fault> FILES_Faults;
extern std::function<void(const char *path)> FILES_OpenObserver;

void FILES_MapDrive(int letter, const std::string &host);
void FILES_ClearDrives();
void FILES_ResetCurrent();
int FILES_OpenCount();
void FILES_CloseAll();
