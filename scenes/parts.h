// Entry and draw functions of the nine parts of the show.
#pragma once
#include "video/clip.h"

void draw_part_1();

void enter_part_2();
void enter_part_4();
void enter_part_7();
void draw_video_part(VideoClip* clip, int32_t lower_texture, int32_t upper_texture);

void enter_part_10();
void draw_part_10();

void enter_part_3();
void draw_part_3();

void enter_part_5();
void draw_part_5();

void enter_part_9();
void draw_part_9();

void enter_part_100();
void draw_part_100();
