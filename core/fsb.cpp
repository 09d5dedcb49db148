// The FSB sound bank. Not read yet: the bank stays empty.
#include "core/fsb.h"

void FSB_Load(const char *) {}
void FSB_Free() {}
