# et_add_subdirs(a b c): add each listed folder. A folder that is missing stops the
# configuration: a subsystem that silently drops out would take its tests with it.
function(et_add_subdirs)
    foreach(dir ${ARGN})
        if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${dir} has no CMakeLists.txt")
        endif()
        add_subdirectory(${dir})
        # The folder's name is a ctest label: `ctest -L screen` runs one subsystem's tests.
        set_property(DIRECTORY ${dir} PROPERTY LABELS ${dir})
    endforeach()
endfunction()
