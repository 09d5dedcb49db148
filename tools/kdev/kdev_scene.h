// kdev's scene stream and container commands.
#pragma once
#include <string>

// kdev dsn <game path> [--png OUTDIR]: the stream's tables and blocks; the maps after 2, 16 and 64 parts.
int KdevDsn(const char *path, const char *pngFolder);
// kdev dan <game path>: the container's names and blocks.
int KdevDan(const char *path);
// kdev mkscene <host folder>: a sample SCENE.DSN and CHAR.DAN from the fixture writers.
int KdevMkScene(const std::string &folder);
