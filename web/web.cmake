# The browser build (configured with emcmake by tools/web.sh): the show's
# library with the browser's side of the platform layer, FFmpeg's MPEG-4
# decoder in xvidcore's place, the data preloaded, and the page around it.
set(VAVURAVA_WEB_PREFIX "" CACHE PATH "Libraries built with emcc (tools/web.sh builds them)")
if(NOT VAVURAVA_WEB_PREFIX OR NOT EXISTS ${VAVURAVA_WEB_PREFIX}/lib/libSDL2.a)
  message(FATAL_ERROR "VAVURAVA_WEB_PREFIX: needs the libraries tools/web.sh builds with emcc")
endif()
get_filename_component(VAVURAVA_DATA_FROM "${VAVURAVA_DATA_FROM}" ABSOLUTE)
if(NOT EXISTS ${VAVURAVA_DATA_FROM}/dats/.stamp OR NOT EXISTS ${VAVURAVA_DATA_FROM}/data/tables.cpp)
  message(FATAL_ERROR "VAVURAVA_DATA_FROM: needs a native build tree with generated dats/ and data/tables.cpp")
endif()

file(GLOB WEB_SOURCES CONFIGURE_DEPENDS ${SHOW_SOURCE_GLOBS} ${CMAKE_SOURCE_DIR}/web/*.cpp)
list(REMOVE_ITEM WEB_SOURCES ${CMAKE_SOURCE_DIR}/runtime/main.cpp ${CMAKE_SOURCE_DIR}/platform/native.cpp)

set(VAVURAVA_SITE_DIR ${CMAKE_BINARY_DIR}/site CACHE PATH "Where the page is built")
set(site ${VAVURAVA_SITE_DIR})
add_executable(vavurava-rive ${WEB_SOURCES} ${VAVURAVA_DATA_FROM}/data/tables.cpp)
set_target_properties(vavurava-rive PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${site} SUFFIX ".js")
target_include_directories(vavurava-rive PRIVATE ${CMAKE_SOURCE_DIR} ${VAVURAVA_WEB_PREFIX}/include
  ${VAVURAVA_WEB_PREFIX}/include/SDL2)
target_compile_definitions(vavurava-rive PRIVATE VAVURAVA_VERSION="${PROJECT_VERSION}" VAVURAVA_MPEG4_FFMPEG)
foreach(library SDL2 vorbis ogg jpeg swscale avcodec avutil)
  target_link_libraries(vavurava-rive PRIVATE ${VAVURAVA_WEB_PREFIX}/lib/lib${library}.a)
endforeach()
# One thread, so that any static host serves it (no cross-origin isolation);
# WebGL 2; the data packed beside the program and preloaded with progress; the
# page starts the show (callMain) after the click that lets sound play, and
# SDL resumes the audio context on that gesture.
# The JavaScript functions SDL's audio calls, in a file: a "$" on the command
# line does not reach emcc unharmed.
file(WRITE ${CMAKE_BINARY_DIR}/library_functions.json "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")
target_link_options(vavurava-rive PRIVATE
  -sUSE_WEBGL2=1 -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864
  -sMODULARIZE=1 -sEXPORT_NAME=createShow -sINVOKE_RUN=0 -sEXIT_RUNTIME=0 -sENVIRONMENT=web
  "-sEXPORTED_RUNTIME_METHODS=[\"callMain\"]"
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_BINARY_DIR}/library_functions.json
  -sMINIFY_HTML=0
  --preload-file ${VAVURAVA_DATA_FROM}/dats@dats --exclude-file "*/.stamp")

# The page: copied beside the program.
foreach(file index.html page.js page.css)
  configure_file(${CMAKE_SOURCE_DIR}/web/${file} ${site}/${file} COPYONLY)
endforeach()
