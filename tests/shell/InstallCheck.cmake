# Installs the build into a scratch prefix and checks what a desktop needs: the program
# (finding its library through its run path), the activation helper, the desktop entry
# and the icon. Run as: cmake -DBUILD=<build dir> -DPREFIX=<scratch> -P InstallCheck.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path
        bin/ember-talon
        libexec/ember-talon/ember-talon-activate
        share/applications/ember-talon.desktop
        share/icons/hicolor/scalable/apps/ember-talon.svg)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
file(GLOB_RECURSE libraries "${PREFIX}/*/libCorvaneLED.so.1")
if(NOT libraries)
    message(FATAL_ERROR "not installed: libCorvaneLED.so.1")
endif()
file(STRINGS "${PREFIX}/share/applications/ember-talon.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=ember-talon")
    message(FATAL_ERROR "desktop entry runs '${exec}'")
endif()
# LD_LIBRARY_PATH cleared: the installed program must find the installed library itself.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=LD_LIBRARY_PATH
        "${PREFIX}/bin/ember-talon" --version
    RESULT_VARIABLE result OUTPUT_VARIABLE out)
if(NOT result EQUAL 0 OR NOT out MATCHES "CorvaneLED [0-9]+\\.[0-9]+\\.[0-9]+")
    message(FATAL_ERROR "installed ember-talon --version: ${result} ${out}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
