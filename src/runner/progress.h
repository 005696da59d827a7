// Progress lines on standard error while frames render.
#pragma once

#include <cstdint>

struct progress_state {
    const char* label;
    double start_seconds;
    double last_line_seconds;
    double* frame_times;  // frame count + 1 readings; null when it could not be had
};

// The counter's current reading in seconds.
double now_seconds();

void write_progress(const char* label, int done, int total, double elapsed, double remaining);

// Sets up the state and prints the first line (0 done).
void start_progress(progress_state* state, const char* label, int frame_count);

// After frame number done has been released: records the time, prints when due.
void update_progress(progress_state* state, int done, int frame_count);

void release_progress(progress_state* state);

// The steps of update_progress at a given reading, for callers that hold the clock.
void update_progress_at(progress_state* state, int done, int frame_count, double now);

// Seconds left, from the pace of the most recent half of the done frames when the time
// table has them, else from the pace since the start.
double estimate_remaining(const progress_state* state, int done, int frame_count, double now);
