// The framebuffer the scenes draw into, at the render size, and how a frame
// reaches the window: scaled into the largest centred 4:3 rectangle of the
// drawable, black around it. Used by the window code only.
#pragma once

struct Rectangle {
    int x, y, width, height;
};

// The largest rectangle of 4:3 shape centred in width x height.
Rectangle letterbox(int width, int height);

// Makes and binds the framebuffer. False (with the reason in *why) when the
// driver has no framebuffer objects or cannot make one of that size.
bool render_target_create(int width, int height, const char** why);
// Copies the frame into the window's back buffer of the given drawable size.
void render_target_present(int drawable_width, int drawable_height);
// Binds the framebuffer again for the next frame's drawing and reading.
void render_target_bind();
