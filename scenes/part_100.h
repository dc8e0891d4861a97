// The finale: spark helices and bolts down both edges, the greetings images
// rising one every 2 s. The per-frame steps are exposed for tests.
#pragma once
#include <cstdint>

struct GreetsEntry {
    int32_t texture_id;
    // Part time (ms since the finale began) at which the entry was scheduled.
    float appearance_time;
};

constexpr int32_t greets_count = 18;
constexpr double spawn_interval = 20.0;
constexpr int32_t spark_cap = 990;
constexpr double spark_floor = -40.0;

extern GreetsEntry greets_table[greets_count];
extern int32_t greets_shown;
extern int32_t sprite_count;

// Moves every live spark to its place at part time t and removes those that
// have fallen below the view, shifting the rest down in place.
void move_sparks(double part_time);
// One spawning tick when more than spawn_interval ms have passed since the
// last one at clock reading now; appends four sparks while under the cap.
void spawn_sparks(double now, double part_time);
// Schedules the entries that have fallen due by part time t.
void schedule_greets(double part_time);
// Draws the live sparks behind (z <= -10) or in front of the bolts.
void draw_spark_pass(bool back);
void draw_bolts(double show_time);
void draw_greets(double part_time);
