# Catching up waiting records through a real broker (run by bench/publish.sh, which starts it).
add_executable(bench_publish ${CMAKE_CURRENT_SOURCE_DIR}/bench_publish.cpp)
target_link_libraries(bench_publish PRIVATE travek_gui_qt)
