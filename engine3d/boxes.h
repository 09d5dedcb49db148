// Collision boxes: their corners carried to the world and the screen each frame.
#pragma once

void Update_All_Boxes();
