// The show's entry point: start-up, then the main loop until a key is pressed.
#include "runtime/startup.h"

int main() { return demo_main(); }
