// The shaders that stand in for the fixed-function pipeline: one program per
// combination of the state that changes the code (lights, normalising, fog
// mode, texturing, flat shading), made on first use and kept.
#pragma once
#include <cstdint>
#include <string>

#include "gl/es3_context.h"

namespace es3 {

// The state a program is made for, packed into one number.
struct ProgramKey {
    uint32_t bits = 0;
    int light_count() const;
    bool lighting() const;
    bool flat() const;
};

// Attribute locations, fixed for every program.
enum Attribute { position_attribute, normal_attribute, colour_attribute, texcoord_attribute, lit_position_attribute };

ProgramKey key_for_current_state();
// The GLSL ES 3.00 source of a program's two stages.
std::string vertex_shader_source(ProgramKey key);
std::string fragment_shader_source(ProgramKey key);
// Makes the program for the current state current in the driver, its
// uniforms up to date. False (the error raised) when it cannot be built.
bool use_program_for_current_state(ProgramKey* key);
// Forgets every program (a new context).
void forget_programs();

} // namespace es3
