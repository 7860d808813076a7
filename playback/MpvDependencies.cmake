# Writes the libraries libmpv brings, dependencies first, as the loader resolves them on this
# machine, as C string literals into OUTPUT (rewritten only when the list changes, so nothing
# recompiles otherwise). Run as a script at every build, so an upgraded libmpv or codec library is
# followed without configuring again. Without ldd or the library the list is empty: MpvLibrary.cpp
# then loads libmpv, which brings everything, as a whole.
#   cmake -DLIBMPV=<path of libmpv.so> -DOUTPUT=<file> -P MpvDependencies.cmake
execute_process(COMMAND ldd ${LIBMPV} OUTPUT_VARIABLE mpv_ldd RESULT_VARIABLE mpv_ldd_result
                ERROR_QUIET)
set(mpv_dependencies "")
if(mpv_ldd_result EQUAL 0)
    string(REPLACE "\n" ";" mpv_ldd_lines "${mpv_ldd}")
    foreach(line IN LISTS mpv_ldd_lines)
        # "name => /path (address)"; a library the loader does not find ("not found") is left out.
        if(line MATCHES "^[ \t]*([^ \t]+) => /")
            list(PREPEND mpv_dependencies "${CMAKE_MATCH_1}")
        endif()
    endforeach()
endif()
list(TRANSFORM mpv_dependencies REPLACE "(.+)" "\"\\1\",\n")
string(JOIN "" mpv_dependencies_text ${mpv_dependencies})
file(CONFIGURE OUTPUT ${OUTPUT} CONTENT "${mpv_dependencies_text}")
