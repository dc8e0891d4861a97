// The per-frame dispatch on current_part.
#pragma once

void dispatch_parts();
