# Lines per second through the receive handler, typing into a keyboard that only counts events.
add_executable(bench_receive ${CMAKE_CURRENT_SOURCE_DIR}/bench_receive.cpp)
target_link_libraries(bench_receive PRIVATE travek_core benchmark::benchmark)

# Latency from a line's CR on a pty to the first key event, through driver, handler and sender.
add_executable(bench_latency ${CMAKE_CURRENT_SOURCE_DIR}/bench_latency.cpp)
target_link_libraries(bench_latency PRIVATE travek_gui_qt)

# Latency from a line's CR to the keys arriving at a real X window, through a platform keyboard.
add_executable(bench_typing ${CMAKE_CURRENT_SOURCE_DIR}/bench_typing.cpp)
target_link_libraries(bench_typing PRIVATE travek_gui_qt PkgConfig::X11KEYS)
