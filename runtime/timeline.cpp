// The per-frame dispatch: nine separate tests in a fixed order, each reading
// current_part afresh, so a part entered later in the order is drawn in the
// same frame.
#include "runtime/timeline.h"

#include "runtime/demo.h"
#include "scenes/parts.h"

namespace {
// Runs one draw function and tells the hook when it entered another part.
template <typename Draw>
void draw_and_watch(Draw draw) {
    const int32_t before = current_part;
    draw();
    if (current_part != before && part_entered_hook) part_entered_hook(current_part);
}
} // namespace

void dispatch_parts() {
    if (current_part == 1) draw_and_watch(draw_part_1);
    if (current_part == 2) draw_and_watch([] { draw_video_part(&video_clips[0], 4000, 4001); });
    if (current_part == 3) draw_and_watch(draw_part_3);
    if (current_part == 4) draw_and_watch([] { draw_video_part(&video_clips[1], 4002, 4003); });
    if (current_part == 5) draw_and_watch(draw_part_5);
    if (current_part == 7) draw_and_watch([] { draw_video_part(&video_clips[2], 4004, 4005); });
    if (current_part == 9) draw_and_watch(draw_part_9);
    if (current_part == 10) draw_and_watch(draw_part_10);
    if (current_part == 100) draw_and_watch(draw_part_100);
}
