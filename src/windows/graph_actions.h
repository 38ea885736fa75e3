#pragma once
// What the graph window's Record, Stop and Export buttons do, callable from anywhere that has
// the graph widget built: the buttons and the simulator's commands run the same code.

struct AppState;

void startRecording(AppState &state);
void stopRecording(AppState &state);
// The set the graph window shows.
void exportShownSet(AppState &state);
// Each of the three sets in turn, as Export clicked with each set shown; the shown set stays.
void exportEverySet(AppState &state);
