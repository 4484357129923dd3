#pragma once
// The target operations run to their end inside their button's handler, on the window's
// thread. While they wait on the board the windows must still be drawn (a Memory Window
// that has just been opened must appear, a window uncovered must be redrawn), but the user
// must not start anything else: only events that are not user input are let through.

// Hands the window system's pending non-input events (expose, paint, timers) to the windows.
void KeepWindowsPainted();

// The program's fixed pause: sleeps `milliseconds` in short steps, keeping the windows
// painted in between. Installed with SetPauseFunction by the application.
void PauseKeepingWindowsPainted(unsigned milliseconds);
