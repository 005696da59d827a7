#include "runner/progress.h"

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

namespace {

int64_t frequency = 0;  // ticks per second, filled by the first reading

constexpr double line_interval_seconds = 0.5;

}  // namespace

double now_seconds() {
    if (frequency == 0) frequency = platform_counter_frequency();
    return static_cast<double>(platform_counter()) / static_cast<double>(frequency);
}

void write_progress(const char* label, int done, int total, double elapsed, double remaining) {
    const double percent =
        total <= 0 ? 100.0 : 100.0 * static_cast<double>(done) / static_cast<double>(total);
    std::fprintf(stderr, "%s,%d,%d,%.2f,%.3f,%.3f\n", label, done, total, percent, elapsed,
                 remaining);
    std::fflush(stderr);
}

void start_progress(progress_state* state, const char* label, int frame_count) {
    state->label = label;
    const int64_t entries = static_cast<int64_t>(frame_count) + 1;
    state->frame_times = entries > 0 ? static_cast<double*>(std::calloc(entries, sizeof(double)))
                                     : nullptr;
    state->start_seconds = now_seconds();
    if (state->frame_times) state->frame_times[0] = state->start_seconds;
    state->last_line_seconds = state->start_seconds;
    write_progress(label, 0, frame_count, 0.0, 0.0);
}

double estimate_remaining(const progress_state* state, int done, int frame_count, double now) {
    const double frames_left = static_cast<double>(frame_count - done);
    if (state->frame_times && done >= 2) {
        const int recent = done / 2;
        return (now - state->frame_times[done - recent]) * frames_left /
               static_cast<double>(recent);
    }
    return frames_left * (now - state->start_seconds) / static_cast<double>(done);
}

void update_progress_at(progress_state* state, int done, int frame_count, double now) {
    if (state->frame_times) state->frame_times[done] = now;
    if (done != frame_count && now - state->last_line_seconds < line_interval_seconds) return;
    write_progress(state->label, done, frame_count, now - state->start_seconds,
                   estimate_remaining(state, done, frame_count, now));
    state->last_line_seconds = now;
}

void update_progress(progress_state* state, int done, int frame_count) {
    update_progress_at(state, done, frame_count, now_seconds());
}

void release_progress(progress_state* state) {
    std::free(state->frame_times);
    state->frame_times = nullptr;
}
