# SDL2 for the browser, compiled straight from Debian's source with SDL's own
# configuration for emscripten (include/SDL_config_emscripten.h) rather than
# through its CMake build, whose three hundred checks each start emcc.
# Run in SDL's source folder: make -f sdl2.mk PREFIX=... CFLAGS=... install

CC = emcc
AR = emar
BUILD = web-build

# SDL's core, the emscripten backends (video with WebGL, audio, events,
# joystick, filesystem, power, locale, URLs), the dummy ones where emscripten
# has none, the generic thread stand-ins (the build has no threads), the
# software and GLES 2 renderers, and dlopen's (which fails cleanly without
# dynamic linking).
SOURCES := $(wildcard src/*.c src/atomic/*.c src/cpuinfo/*.c src/dynapi/*.c src/events/*.c \
  src/file/*.c src/libm/*.c src/stdlib/*.c src/thread/*.c src/thread/generic/*.c \
  src/timer/*.c src/timer/unix/*.c \
  src/audio/*.c src/audio/dummy/*.c src/audio/disk/*.c src/audio/emscripten/*.c \
  src/video/*.c src/video/yuv2rgb/*.c src/video/emscripten/*.c \
  src/render/*.c src/render/software/*.c src/render/opengles2/*.c \
  src/joystick/*.c src/joystick/emscripten/*.c src/haptic/*.c src/haptic/dummy/*.c \
  src/hidapi/*.c src/sensor/*.c src/sensor/dummy/*.c src/power/*.c src/power/emscripten/*.c \
  src/filesystem/emscripten/*.c src/locale/*.c src/locale/emscripten/*.c \
  src/misc/*.c src/misc/emscripten/*.c src/loadso/dlopen/*.c)
OBJECTS := $(SOURCES:%.c=$(BUILD)/%.o)

$(BUILD)/libSDL2.a: $(OBJECTS)
	rm -f $@
	$(AR) rcs $@ $^

$(BUILD)/%.o: %.c
	@mkdir -p $(@D)
	$(CC) $(CFLAGS) -fno-strict-aliasing -Iinclude -c $< -o $@

install: $(BUILD)/libSDL2.a
	install -d $(PREFIX)/lib $(PREFIX)/include/SDL2
	install -m 644 $(BUILD)/libSDL2.a $(PREFIX)/lib/
	install -m 644 include/*.h $(PREFIX)/include/SDL2/

.PHONY: install
