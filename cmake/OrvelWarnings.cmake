# Compile options shared by every target of ours; Qt and other imported headers are
# system includes, so the warnings apply to our code only.
add_library(orvel_options INTERFACE)
target_compile_options(orvel_options INTERFACE
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wformat=2
    -Wimplicit-fallthrough -Wmissing-declarations)
target_compile_definitions(orvel_options INTERFACE
    QT_NO_CAST_FROM_BYTEARRAY QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER)
if(ORVEL_WERROR)
    target_compile_options(orvel_options INTERFACE -Werror)
endif()
if(ORVEL_SANITIZE STREQUAL "thread")
    # ThreadSanitizer: for the tests that run threads (label "threads").
    target_compile_options(orvel_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(orvel_options INTERFACE -fsanitize=thread)
elseif(ORVEL_SANITIZE)
    target_compile_options(orvel_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                   -fno-sanitize-recover=undefined)
    target_link_options(orvel_options INTERFACE -fsanitize=address,undefined)
endif()
