// The built-in level editor. Nothing enters it, so its words keep their load values.
#include "editor/edt.h"

int32_t EDT_CaptureContinuous;
int32_t EDT_Active;
int32_t EDT_Modified;
