# Serial driver figures: idle CPU with the port open, and the latency from a line's last byte on
# the wire to the receive handler.
add_executable(bench_serial ${CMAKE_CURRENT_SOURCE_DIR}/bench_serial.cpp)
target_link_libraries(bench_serial PRIVATE travek_gui_qt)
