# Warnings and sanitizers are set per target, on the project's own targets only,
# so that nothing leaks into what Qt, GoogleTest or CMake's checks compile.
# Configure with -DCMAKE_COMPILE_WARNING_AS_ERROR=ON (every preset does) to make
# each warning fail the build.

set(HEXPANE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion)
set(HEXPANE_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

# hexpane_flags(TARGET...): the project's warnings, and the sanitizers in a
# HEXPANE_SANITIZE build.
function(hexpane_flags)
    foreach(target IN LISTS ARGN)
        target_compile_options(${target} PRIVATE ${HEXPANE_WARNINGS})
        if(HEXPANE_SANITIZE)
            target_compile_options(${target} PRIVATE ${HEXPANE_SANITIZERS})
            target_link_options(${target} PRIVATE -fsanitize=address,undefined)
        endif()
    endforeach()
endfunction()

# hexpane_targets_in(VARIABLE DIRECTORY...): the compiled targets the
# directories and their subdirectories made.
function(hexpane_targets_in variable)
    set(found)
    foreach(directory IN LISTS ARGN)
        get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            get_target_property(type ${target} TYPE)
            if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY)$")
                list(APPEND found ${target})
            endif()
        endforeach()
        get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
        if(subdirectories)
            hexpane_targets_in(more ${subdirectories})
            list(APPEND found ${more})
        endif()
    endforeach()
    set(${variable} ${found} PARENT_SCOPE)
endfunction()

# hexpane_flags_in(DIRECTORY...): hexpane_flags on every target the directories
# made, so that a new target gets them without anyone remembering.
function(hexpane_flags_in)
    hexpane_targets_in(targets ${ARGN})
    hexpane_flags(${targets})
endfunction()

# hexpane_hardening_in(DIRECTORY...): the hardening Debian's packaging gives its
# programs, as dpkg-buildflags tells it with every hardening feature on
# (fortified functions, the stack protector, format checks, relocations made
# read-only and bound at start; position-independent executables are the
# compiler's default), on every target the directories made: the programs read
# files from anywhere, the thumbnailer those of any folder a file manager
# shows. The build type keeps its own optimisation and debug information.
# Not under the sanitizers, whose checks fortified functions would bypass, nor
# without optimisation, which fortifying needs.
find_program(HEXPANE_DPKG_BUILDFLAGS dpkg-buildflags)
function(hexpane_hardening_in)
    if(HEXPANE_SANITIZE OR CMAKE_BUILD_TYPE STREQUAL "Debug")
        return()
    endif()
    if(NOT HEXPANE_DPKG_BUILDFLAGS)
        message(WARNING "dpkg-buildflags (package dpkg-dev) is missing: the programs are built without hardening")
        return()
    endif()
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${HEXPANE_DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        list(FILTER flags EXCLUDE REGEX "^-(O.*|g)$")
        set(${kind} ${flags})
    endforeach()
    hexpane_targets_in(targets ${ARGN})
    foreach(target IN LISTS targets)
        target_compile_options(${target} PRIVATE ${CPPFLAGS} ${CXXFLAGS})
        target_link_options(${target} PRIVATE ${LDFLAGS})
    endforeach()
endfunction()
