// kdev's answer to a path that names no file: the path it tried on the host and the drive map it used.
#pragma once
#include <string>

// The program named at the head of each answer: "kdev", or "kshow" when kshow links these answers.
extern const char *KdevProgramName;

// Called by each subcommand that opens a game file, before it reads: true when the game path (or the
// alternative, when given) opens as the game would open it; otherwise prints
// "<program>: <path>: not found (tried <host path>; drives <map>)" on the standard error, so that "not a
// scene stream" and the like stay the answers for files that are there but are not the format.
bool KdevFileFound(const char *path, const char *alternative = nullptr);
// The same for a host file or folder named on the command line (kdev inv, the installation folders).
bool KdevHostFound(const char *shown, const std::string &host);
