#include "runner/progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

progress_state state_with(std::vector<double>& times, double start) {
    progress_state state{"qel_render", start, start, times.empty() ? nullptr : times.data()};
    if (!times.empty()) times[0] = start;
    return state;
}

}  // namespace

TEST(estimate_remaining, uses_the_most_recent_half_of_the_done_frames) {
    std::vector<double> times(101, 0.0);
    progress_state state = state_with(times, 2.0);
    times[5] = 7.0;
    EXPECT_DOUBLE_EQ(estimate_remaining(&state, 10, 100, 12.0), 90.0);  // (12-7)*90/5
}

TEST(estimate_remaining, first_frame_uses_the_pace_since_the_start) {
    std::vector<double> times(101, 0.0);
    progress_state state = state_with(times, 0.0);
    EXPECT_NEAR(estimate_remaining(&state, 1, 100, 0.8), 79.2, 1e-9);
}

TEST(estimate_remaining, window_edges_for_two_and_five_frames) {
    std::vector<double> times(101, 0.0);
    progress_state state = state_with(times, 0.0);
    times[1] = 10.0;  // a slow first frame
    times[2] = 10.5;
    times[3] = 11.0;
    // After frame 2, h = 1: only frame 2's 0.5 s count.
    EXPECT_DOUBLE_EQ(estimate_remaining(&state, 2, 100, 10.5), 0.5 * 98);
    // After frame 5, h = 2: the window starts at entry 3.
    EXPECT_DOUBLE_EQ(estimate_remaining(&state, 5, 100, 12.0), (12.0 - 11.0) * 95 / 2);
}

TEST(estimate_remaining, slow_start_drops_out_of_the_window) {
    std::vector<double> times(101, 0.0);
    progress_state state = state_with(times, 0.0);
    times[1] = 20.0;  // one slow frame, then 0.1 s each
    for (int k = 2; k <= 20; ++k) times[k] = 20.0 + 0.1 * (k - 1);
    EXPECT_NEAR(estimate_remaining(&state, 20, 100, times[20]), 0.1 * 80, 1e-9);
}

TEST(estimate_remaining, without_the_table_uses_the_whole_run_pace) {
    std::vector<double> none;
    progress_state state = state_with(none, 0.0);
    EXPECT_DOUBLE_EQ(estimate_remaining(&state, 10, 100, 10.0), 90.0);
}

TEST(estimate_remaining, last_frame_leaves_nothing) {
    std::vector<double> times(4, 0.0);
    progress_state state = state_with(times, 0.0);
    times[1] = 1.0;
    times[2] = 2.0;
    EXPECT_DOUBLE_EQ(estimate_remaining(&state, 3, 3, 3.0), 0.0);
}

// update_progress_at at given clock readings: when a line is due and what it reads.
TEST(update_progress_at, prints_the_worked_example_line) {
    std::vector<double> times(101, 0.0);
    progress_state state = state_with(times, 2.0);
    times[5] = 7.0;
    state.last_line_seconds = 11.4;
    testing::internal::CaptureStderr();
    update_progress_at(&state, 10, 100, 12.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "qel_render,10,100,10.00,10.000,90.000\n");
    EXPECT_DOUBLE_EQ(state.last_line_seconds, 12.0);
    EXPECT_DOUBLE_EQ(times[10], 12.0);
}

TEST(update_progress_at, waits_half_a_second_but_always_prints_the_last_frame) {
    std::vector<double> times(4, 0.0);
    progress_state state = state_with(times, 0.0);
    testing::internal::CaptureStderr();
    update_progress_at(&state, 1, 3, 0.49);  // too soon: recorded, not printed
    update_progress_at(&state, 2, 3, 0.5);   // exactly half a second: printed
    update_progress_at(&state, 3, 3, 0.51);  // the last frame, however soon
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "qel_render,2,3,66.67,0.500,0.010\n"
              "qel_render,3,3,100.00,0.510,0.000\n");
    EXPECT_DOUBLE_EQ(times[1], 0.49);
}
