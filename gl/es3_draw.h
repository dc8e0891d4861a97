// Vertex data on its way to the driver: streaming buffers written in turn
// and orphaned when full, and the vertex attribute setup the renderer keeps
// so that it is sent only when it changes.
#pragma once
#include <cstddef>

#include "gl/es3_context.h"

namespace es3 {

// Makes room for `bytes` (padding included) in the streaming buffer for
// arrays, so that the writes of one draw share one store.
void reserve_array_stream(size_t bytes);
// Copies bytes into the streaming buffer for arrays and returns their offset
// there (a multiple of 16).
size_t stream_array_bytes(const void* data, size_t bytes);

// Points an attribute at the array stream at offset/stride, or (with
// components 0) gives it the constant value.
void attribute_from_array(int location, int components, GLsizei stride, size_t offset);
void attribute_constant(int location, const float value[4]);

} // namespace es3
