# The key action list dialog (Qt Widgets), kept apart from the Qt-free keystroke sender.
add_library(travek_keys_dialogs STATIC ${CMAKE_CURRENT_LIST_DIR}/TSel_key.cpp)
target_include_directories(travek_keys_dialogs PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(travek_keys_dialogs PUBLIC travek_util_qt Qt6::Widgets)
