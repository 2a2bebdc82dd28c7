# Lines per second through the receive handler, typing into a keyboard that only counts events.
add_executable(bench_receive ${CMAKE_CURRENT_SOURCE_DIR}/bench_receive.cpp)
target_link_libraries(bench_receive PRIVATE travek_app_core travek_keys_core benchmark::benchmark)
