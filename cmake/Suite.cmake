# Build helpers shared by every folder: one static library per layer folder, one test
# program per tests/ folder, programs placed in their product's portable folder.
# Every target names its files: nothing is globbed, so a stray file never joins a build, and
# suite_check_source_lists() catches a file that was forgotten.

# suite_library(<target> [QT] [LINK libs...] SOURCES files...)
# A static library of the listed files of the current folder.
function(suite_library target)
    cmake_parse_arguments(A "QT" "" "LINK;SOURCES" ${ARGN})
    if(NOT A_SOURCES)
        message(FATAL_ERROR "suite_library(${target}): list the library's files after SOURCES")
    endif()
    add_library(${target} STATIC ${A_SOURCES})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${A_LINK})
    if(A_QT)
        set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON AUTOUIC OFF)
    endif()
endfunction()

# suite_tests(<target> [QT] [LINK libs...] SOURCES tests/files...)
# Builds the listed test files into one GoogleTest program and registers its cases with
# CTest. QT programs get a QApplication main and the offscreen platform.
function(suite_tests target)
    cmake_parse_arguments(A "QT" "" "LINK;SOURCES" ${ARGN})
    if(NOT A_SOURCES)
        message(FATAL_ERROR "suite_tests(${target}): list the test files after SOURCES")
    endif()
    add_executable(${target} ${A_SOURCES})
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

# The targets defined in dir and its subfolders.
function(_suite_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        _suite_targets_below(${sub} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# suite_check_source_lists(): fails the configure when a .cpp or .h lies in a folder whose
# files the targets list but is itself in no target's list (a file added and forgotten).
function(suite_check_source_lists)
    _suite_targets_below(${CMAKE_CURRENT_SOURCE_DIR} targets)
    set(listed)
    set(folders)
    foreach(target IN LISTS targets)
        get_target_property(sources ${target} SOURCES)
        get_target_property(base ${target} SOURCE_DIR)
        if(NOT sources)
            continue()
        endif()
        foreach(source IN LISTS sources)
            if(source MATCHES "^\\$<")
                continue()
            endif()
            cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${base} NORMALIZE OUTPUT_VARIABLE file)
            cmake_path(IS_PREFIX CMAKE_BINARY_DIR ${file} NORMALIZE generated)
            if(generated)
                continue()
            endif()
            list(APPEND listed ${file})
            cmake_path(GET file PARENT_PATH folder)
            list(APPEND folders ${folder})
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES folders)
    set(unlisted)
    foreach(folder IN LISTS folders)
        file(GLOB present ${folder}/*.cpp ${folder}/*.h)
        foreach(file IN LISTS present)
            if(NOT file IN_LIST listed)
                file(RELATIVE_PATH shown ${CMAKE_CURRENT_SOURCE_DIR} ${file})
                list(APPEND unlisted ${shown})
            endif()
        endforeach()
    endforeach()
    if(unlisted)
        list(SORT unlisted)
        list(JOIN unlisted "\n  " shown)
        message(FATAL_ERROR "These files are in no target's source list; add each to the "
            "SOURCES of its folder's CMakeLists.txt (or remove it):\n  ${shown}")
    endif()
endfunction()
