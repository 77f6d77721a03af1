# et_add_existing_subdirs(a b c): add each listed folder that has a CMakeLists.txt,
# so a subsystem that has not landed yet does not break the build.
function(et_add_existing_subdirs)
    foreach(dir ${ARGN})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
            # The folder's name is a ctest label: `ctest -L screen` runs one subsystem's tests.
            set_property(DIRECTORY ${dir} PROPERTY LABELS ${dir})
        endif()
    endforeach()
endfunction()
