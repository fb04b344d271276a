// The process-wide "TopMost" setting as the forms see it. The global module sets it
// from the settings file; forms compare it with 1.
#pragma once

int TopMostSetting();
void SetTopMostSetting(int value);
