// Scene tint sampling. Not built yet: a character keeps the tint its level load gave it.
#include "world/tex_sample.h"

void TEX_SampleObjectTint(ActorRecord *) {}
