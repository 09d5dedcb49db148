// The FSB sound bank.
#pragma once

void FSB_Load(const char *path);
void FSB_Free();
