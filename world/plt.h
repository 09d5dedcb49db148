// Platforms: the collision records of actors that others stand on.
#pragma once

// The level load empties the 64 records.
void PLT_Clear();
