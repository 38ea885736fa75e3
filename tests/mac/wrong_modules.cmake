# The shape check of mac.xpl (mac_module_shape.cmake, which `make package` runs on the real
# module) seen passing a sound module and rejecting each fault it looks for, on small modules
# linked by the Mac build's own functions (make_modules.sh).
set(mac_modules "${PROJECT_BINARY_DIR}/test-output/mac-modules")
add_test(NAME mac_shape.make-modules
         COMMAND "${PROJECT_SOURCE_DIR}/tests/mac/make_modules.sh" "${mac_modules}")
# Long enough for zig to build the C++ runtime of both slices on first use.
set_tests_properties(mac_shape.make-modules PROPERTIES
  LABELS mac FIXTURES_SETUP mac-modules TIMEOUT 900)

foreach(case
    "sound:-- mac.xpl: slices arm64 x86_64; exports _XPluginDisable _XPluginEnable _XPluginReceiveMessage _XPluginStart _XPluginStop; the simulator functions XPCreateWidget XPLMDebugString"
    "one-slice:holds the slices arm64 \\(Non-fat file"
    "extra-export:arm64: exports _TinyExtra _XPluginDisable [^\n]*, not exactly the five entry points"
    "wrong-framework:arm64: _XPLMDebugString bound to XPWidgets, not XPLM"
    "build-path:holds a path of the build machine"
    "changed-after-signing:arm64: page 0 changed after the file was signed"
    "lld-14:arm64: [0-9]+ of [0-9]+ DWARF-mode entries point at no FDE that covers their function"
    "no-frame-records:arm64: [0-9]+ functions set up no frame record and are no leaf")
  string(FIND "${case}" ":" colon)
  string(SUBSTRING "${case}" 0 ${colon} name)
  math(EXPR colon "${colon} + 1")
  string(SUBSTRING "${case}" ${colon} -1 expected)
  add_test(NAME mac_shape.${name}
           COMMAND "${CMAKE_COMMAND}" "-DMODULE=${mac_modules}/${name}/mac.xpl"
                   "-DBUILD_PATHS=${PROJECT_SOURCE_DIR};${PROJECT_BINARY_DIR}"
                   -P "${PROJECT_SOURCE_DIR}/tests/mac/mac_module_shape.cmake")
  set_tests_properties(mac_shape.${name} PROPERTIES LABELS mac FIXTURES_REQUIRED mac-modules
                       PASS_REGULAR_EXPRESSION "${expected}")
endforeach()

# The tiny module imports two of the simulator's functions, the Linux module of this build all
# that the plug-in uses: the comparison must name what the tiny one lacks.
add_test(NAME mac_shape.imports-other-than-lin
         COMMAND "${CMAKE_COMMAND}" "-DMODULE=${mac_modules}/sound/mac.xpl"
                 "-DLINUX_MODULE=$<TARGET_FILE:plotwright>"
                 -P "${PROJECT_SOURCE_DIR}/tests/mac/mac_module_shape.cmake")
set_tests_properties(mac_shape.imports-other-than-lin PROPERTIES LABELS mac
  FIXTURES_REQUIRED mac-modules
  PASS_REGULAR_EXPRESSION "arm64 imports \\[\\] of the simulator that lin\\.xpl does not, \n *lin\\.xpl \\[XPAddWidgetCallback [^]]*XPLMAppendMenuItem")
