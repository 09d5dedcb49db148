// kdev's sym command.
#pragma once

// kdev sym <game path>: reads a symbol file and prints its steps as the symbol lists walk them: offset,
// length, kind, the word ids with their first synonyms (hidden ids in brackets, ids past the word
// table marked '?'), the sentence, and where a walk stops. A file that cannot be read: "cannot read
// <path>" and status 1.
int KdevSym(const char *path);
