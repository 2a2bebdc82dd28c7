# From a line's CR on a pty to the verdict shown in the Qt program's grid (bench_verdict.cpp).
add_executable(bench_verdict ${CMAKE_CURRENT_SOURCE_DIR}/bench_verdict.cpp)
target_link_libraries(bench_verdict PRIVATE travek_gui_qt)
