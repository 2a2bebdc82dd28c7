# The COM port dialogs.
add_library(travek_serial_dialogs STATIC Tsel_com.cpp Tlist_coms.cpp)
target_include_directories(travek_serial_dialogs PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(travek_serial_dialogs PUBLIC travek_interface_core travek_util_qt Qt6::Widgets)
