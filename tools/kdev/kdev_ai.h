// kdev ai: the creature AI on an installation folder, headless: its groups and each tick's decisions.
#pragma once

int KdevAi(int argc, char **argv);
