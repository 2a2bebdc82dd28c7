# What the target window check costs before each value, on the desktop's own focus seam.
add_executable(bench_focus ${CMAKE_CURRENT_SOURCE_DIR}/bench_focus.cpp)
target_link_libraries(bench_focus PRIVATE travek_core travek_platform benchmark::benchmark PkgConfig::X11KEYS)
