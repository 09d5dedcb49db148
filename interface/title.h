// The title sequence and main menu.
#pragma once

void TITLE_Run();
