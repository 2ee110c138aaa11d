#pragma once

// Tells the program to end: every running event loop (the main one and any
// modal one) finishes after the current handler returns.
void EndProgram();
// True once EndProgram has been called (tests read it).
bool EndRequested();
void ResetEndRequested();
