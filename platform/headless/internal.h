// Shared between the headless service files: each one's reset, called by test::Reset.
#pragma once

void HL_ResetTime();
void HL_ResetWindow();
void HL_ResetDialog();
void HL_ResetSystem();
void HL_ResetAudio();
void HL_ResetSound();
void HL_ResetInput();
void HL_ResetFiles();
void HL_ResetDisplay();
// The failure a test scripted for this call: true once, when its turn comes.
bool HL_ShouldFail(int call);
