# The service window (Qt Widgets), kept apart from the Qt-free interface definition core.
add_library(travek_interface_widgets STATIC ${CMAKE_CURRENT_LIST_DIR}/TRS232SERVICE.cpp)
target_include_directories(travek_interface_widgets PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(travek_interface_widgets PUBLIC travek_util_qt Qt6::Widgets)
