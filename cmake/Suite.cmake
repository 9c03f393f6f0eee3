# Build helpers shared by every folder: one static library per layer folder, one test
# program per tests/ folder, programs placed in their product's portable folder.

# suite_library(<target> [QT] [LINK libs...] [SOURCES extra...])
# Builds every .cpp/.h of the current folder (not of subfolders) into a static library.
function(suite_library target)
    cmake_parse_arguments(A "QT" "" "LINK;SOURCES" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(${target} STATIC ${srcs} ${A_SOURCES})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${A_LINK})
    if(A_QT)
        set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON AUTOUIC OFF)
    endif()
endfunction()

# suite_tests(<target> [QT] [LINK libs...])
# Builds tests/*.cpp of the current folder into one GoogleTest program and registers
# its cases with CTest. QT programs get a QApplication main and the offscreen platform.
function(suite_tests target)
    cmake_parse_arguments(A "QT" "" "LINK" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
    if(NOT srcs)
        return()
    endif()
    add_executable(${target} ${srcs})
    target_link_libraries(${target} PRIVATE ${A_LINK} GTest::gtest GTest::gmock)
    target_compile_definitions(${target} PRIVATE
        SUITE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        SUITE_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}/tests")
    if(A_QT)
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
        target_link_libraries(${target} PRIVATE suite_qt_test_main Qt6::Test)
    else()
        target_link_libraries(${target} PRIVATE GTest::gtest_main)
    endif()
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 600)
endfunction()

# suite_program(<target> <product folder> SOURCES ... [LINK ...] [QT])
# A program of a product: built into build/out/<product folder>/ beside its settings file.
function(suite_program target product)
    cmake_parse_arguments(A "QT" "" "LINK;SOURCES" ${ARGN})
    add_executable(${target} ${A_SOURCES})
    target_link_libraries(${target} PRIVATE ${A_LINK})
    set_target_properties(${target} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/out/${product})
    if(A_QT)
        set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
    endif()
endfunction()

# suite_product_file(<product folder> <file>): copies a settings or data file next to the
# product's programs at build time.
function(suite_product_file product file)
    get_filename_component(name ${file} NAME)
    configure_file(${file} ${CMAKE_BINARY_DIR}/out/${product}/${name} COPYONLY)
endfunction()
