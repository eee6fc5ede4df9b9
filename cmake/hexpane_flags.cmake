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

# hexpane_flags_in(DIRECTORY...): hexpane_flags on every target the directories
# made, so that a new target gets them without anyone remembering.
function(hexpane_flags_in)
    foreach(directory IN LISTS ARGN)
        get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            get_target_property(type ${target} TYPE)
            if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY)$")
                hexpane_flags(${target})
            endif()
        endforeach()
        get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
        if(subdirectories)
            hexpane_flags_in(${subdirectories})
        endif()
    endforeach()
endfunction()
