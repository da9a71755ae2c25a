# The Windows program, its stand-in players and the tests that run under Wine
# (or on Windows itself). Included from the top-level CMakeLists.txt when the
# target is Windows, whether cross-compiled with mingw-w64 or built with MSVC.

enable_language(RC)

set(VELMORIA_WIN_DEFINITIONS UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
set(VELMORIA_WIN_LIBRARIES comctl32 gdi32 user32 advapi32)
set(VELMORIA_RESOURCES ${CMAKE_SOURCE_DIR}/ui/velmoria.rc)
set_property(SOURCE ${VELMORIA_RESOURCES} APPEND PROPERTY OBJECT_DEPENDS
    ${CMAKE_SOURCE_DIR}/ui/spc_main_ids.h ${CMAKE_SOURCE_DIR}/ui/about_ids.h ${CMAKE_SOURCE_DIR}/app/program_icon.h
    ${CMAKE_BINARY_DIR}/generated/velmoria.manifest
    ${CMAKE_BINARY_DIR}/generated/velmoria_version.h
    ${CMAKE_SOURCE_DIR}/ui/art/velmoria.ico
    ${CMAKE_SOURCE_DIR}/ui/art/pip.bmp
    ${CMAKE_SOURCE_DIR}/ui/art/pip-150.bmp
    ${CMAKE_SOURCE_DIR}/ui/art/pip-200.bmp
    ${CMAKE_SOURCE_DIR}/ui/art/about.bmp
    ${CMAKE_SOURCE_DIR}/ui/art/about-150.bmp
    ${CMAKE_SOURCE_DIR}/ui/art/about-200.bmp)

target_compile_definitions(velmoria_core PUBLIC ${VELMORIA_WIN_DEFINITIONS})

add_library(velmoria_win STATIC
    ui/open_with.cpp
    archive/set_shelf.cpp
    browse/browse_lists.cpp
    browse/drive_list.cpp
    browse/file_list.cpp
    browse/folder_list.cpp
    browse/folder_read.cpp
    browse/list_box.cpp
    browse/song_file.cpp
    browse/title_cache.cpp
    wintk/buttons.cpp
    wintk/caption_text.cpp
    wintk/dialog_labels.cpp
    wintk/dialog_modal.cpp
    wintk/dialog_window.cpp
    wintk/dropped_files.cpp
    wintk/fonts.cpp
    wintk/foreground_watch.cpp
    wintk/message_loop.cpp
    wintk/message_box.cpp
    wintk/picture.cpp
    wintk/pool_job.cpp
    wintk/process_watch.cpp
    wintk/process_setup.cpp
    wintk/run_folder.cpp
    wintk/win_text.cpp
    player/win_player_system.cpp
    player/win_routines.cpp
    app/player_dialog.cpp
    app/settings_file.cpp
    app/startup.cpp
    ui/about.cpp
    ui/single_instance.cpp
    ui/spc_main.cpp
    ui/spc_main_browse.cpp
    ui/spc_main_play.cpp
)
target_link_libraries(velmoria_win PUBLIC velmoria_core ${VELMORIA_WIN_LIBRARIES})
velmoria_strict(velmoria_win)

if(MSVC)
    # The manifest comes from the resource script.
    set(VELMORIA_EXE_LINK_OPTIONS /MANIFEST:NO)
else()
    set(VELMORIA_EXE_LINK_OPTIONS -municode)
    # Small release programs: unused code dropped, symbols stripped.
    target_compile_options(velmoria_core PRIVATE -ffunction-sections -fdata-sections)
    target_compile_options(velmoria_win PRIVATE -ffunction-sections -fdata-sections)
    target_compile_options(velmoria_unrar PRIVATE -ffunction-sections -fdata-sections)
    list(APPEND VELMORIA_EXE_LINK_OPTIONS $<$<CONFIG:Release,MinSizeRel>:-s -Wl,--gc-sections>)
endif()

add_executable(Velmoria WIN32 ui/main.cpp ${VELMORIA_RESOURCES})
velmoria_strict(Velmoria)
target_link_libraries(Velmoria PRIVATE velmoria_win)
target_link_options(Velmoria PRIVATE ${VELMORIA_EXE_LINK_OPTIONS})

# The exe must run alone, beside nothing but system DLLs.
if(CMAKE_OBJDUMP AND NOT MSVC)
    add_custom_command(TARGET Velmoria POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DEXE=$<TARGET_FILE:Velmoria>
                -P ${CMAKE_SOURCE_DIR}/cmake/CheckImports.cmake
        VERBATIM)
endif()

if(VELMORIA_TESTS)
    add_library(velmoria_test_support STATIC tests/support/win_test_support.cpp tests/support/resource_counts.cpp)
    target_link_libraries(velmoria_test_support PUBLIC velmoria_win gmock psapi)

    # The writer the killed-writer test kills in mid-write.
    add_executable(settings_writer demo/settings_writer.cpp)
    target_link_libraries(settings_writer PRIVATE velmoria_win)
    target_link_options(settings_writer PRIVATE ${VELMORIA_EXE_LINK_OPTIONS})

    # Tests of windows need the program's resources (menus, pictures, manifest).
    add_executable(wine_tests
        tests/wine/browsing_test.cpp
        tests/wine/faults_test.cpp
        tests/wine/input_test.cpp
        tests/wine/layout_test.cpp
        tests/wine/outside_test.cpp
        tests/wine/play_test.cpp
        tests/wine/play_through_test.cpp
        tests/wine/sets_test.cpp
        tests/wine/settings_file_test.cpp
        tests/wine/soak_test.cpp
        tests/wine/startup_test.cpp
        ${VELMORIA_RESOURCES}
    )
    target_link_libraries(wine_tests PRIVATE velmoria_test_support gmock_main)
    add_dependencies(wine_tests test_sets)
    gtest_discover_tests(wine_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
endif()

# Stand-ins for the players, for the demo and the tests: one source, one
# program per player, named as the real ones are. Today's SPCPLAY.EXE has the
# classic one's name, so it lives in a folder of its own.
foreach(player IN ITEMS SPCPLAY:1: WINSPC:2: ZDSPC:3: SPCPLAY:4:current)
    string(REPLACE ":" ";" parts ${player})
    list(GET parts 0 name)
    list(GET parts 1 kind)
    list(GET parts 2 folder)
    set(target standin_${name}${folder})
    if(folder)
        add_executable(${target} WIN32 demo/standin.cpp demo/current_spcplay.rc)
    else()
        add_executable(${target} WIN32 demo/standin.cpp)
    endif()
    target_compile_definitions(${target} PRIVATE STANDIN_KIND=${kind} ${VELMORIA_WIN_DEFINITIONS})
    target_link_options(${target} PRIVATE ${VELMORIA_EXE_LINK_OPTIONS})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} SUFFIX ".EXE"
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins/${folder})
endforeach()

add_executable(demo_driver demo/demo_driver.cpp)
target_compile_definitions(demo_driver PRIVATE ${VELMORIA_WIN_DEFINITIONS})
target_link_options(demo_driver PRIVATE ${VELMORIA_EXE_LINK_OPTIONS})
# What scripts/run.sh needs, without the tests and benchmarks.
add_custom_target(demo DEPENDS Velmoria demo_driver standin_SPCPLAY standin_WINSPC standin_ZDSPC standin_SPCPLAYcurrent)

# Benchmarks that print figures, run by scripts/bench.sh and built with
# everything else so that they cannot rot. The long runs of the soak, the
# killed writer and the large folder are the tests' own, with long counts.
if(VELMORIA_TESTS)
    add_executable(list_bench bench/list_bench.cpp)
    target_link_libraries(list_bench PRIVATE velmoria_test_support)
    add_executable(set_bench bench/set_bench.cpp)
    target_link_libraries(set_bench PRIVATE velmoria_test_support)
    add_dependencies(set_bench test_sets)
    add_executable(minimal_window WIN32 bench/minimal_window.cpp)
    target_compile_definitions(minimal_window PRIVATE ${VELMORIA_WIN_DEFINITIONS})
    target_link_options(minimal_window PRIVATE ${VELMORIA_EXE_LINK_OPTIONS})
    add_executable(minimal_window_manifest WIN32 bench/minimal_window.cpp bench/minimal_window.rc)
    target_compile_definitions(minimal_window_manifest PRIVATE MINIMAL_WITH_MANIFEST ${VELMORIA_WIN_DEFINITIONS})
    target_include_directories(minimal_window_manifest PRIVATE ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(minimal_window_manifest PRIVATE comctl32)
    target_link_options(minimal_window_manifest PRIVATE ${VELMORIA_EXE_LINK_OPTIONS})
    set_property(SOURCE bench/minimal_window.rc APPEND PROPERTY OBJECT_DEPENDS
        ${CMAKE_BINARY_DIR}/generated/velmoria.manifest)
endif()
