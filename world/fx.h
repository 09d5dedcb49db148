// Effect models: glow balls, shots, thrown models, emitters, mana spheres and ground elements.
#pragma once

// The level load's effect loaders, in the order it calls them (with WPN_LoadThrown after the first).
void FX_LoadModels();
void FX_LoadShotModels();
void FX_InitEmitters();
void FX_LoadThrownModel();
void FX_LoadManaSpheres();
void FX_LoadGroundElements();
