// The show's millisecond clock, read from the platform's performance counter.
#pragma once

double demo_clock();
