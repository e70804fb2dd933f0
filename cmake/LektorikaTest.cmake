# lk_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [WEBENGINE] [TIMEOUT <s>])
#
# Registers one QtTest executable with CTest and the environment every test runs in:
# the offscreen platform, and for tests that create a web view the flags Chromium needs as root.
# Tests labelled "logic" make up the sanitizer run.
function(lk_add_test name)
    cmake_parse_arguments(T "WEBENGINE" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    add_test(NAME ${name} COMMAND ${name})
    set(env
        "QT_QPA_PLATFORM=offscreen"
        "QTWEBENGINE_DISABLE_SANDBOX=1"
        "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox"
        "LK_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
        "QT_LOGGING_RULES=qt.qpa.*=false"
    )
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${env}"
        TIMEOUT ${T_TIMEOUT}
        LABELS "${T_LABELS}")
    if("logic" IN_LIST T_LABELS)
        set_property(GLOBAL APPEND PROPERTY LK_LOGIC_TESTS ${name})
    endif()
endfunction()
