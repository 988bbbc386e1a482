# Fails when a file of a subsystem includes a header of a subsystem it does
# not use, so that the subsystems keep depending one way:
#   meter <- text, settings, render, dialog <- plugin.
#   cmake -DSOURCE_DIR=<src> -P check_includes.cmake
cmake_minimum_required(VERSION 3.25)
set(uses_meter "meter")
set(uses_text "text")
set(uses_render "render;meter")
set(uses_settings "settings;meter;text")
set(uses_dialog "dialog;meter;text")
set(uses_plugin "plugin;meter;text;render;settings;dialog")

set(wrong "")
foreach(subsystem meter text render settings dialog plugin)
    file(GLOB files ${SOURCE_DIR}/${subsystem}/*.h ${SOURCE_DIR}/${subsystem}/*.cpp
                    ${SOURCE_DIR}/${subsystem}/*.rc)
    foreach(file ${files})
        file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
        foreach(line ${includes})
            string(REGEX REPLACE "^[^\"]*\"([a-z_]+)/.*$" "\\1" used "${line}")
            if(NOT used IN_LIST uses_${subsystem})
                file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
                string(APPEND wrong "  ${name}: ${line} (${subsystem} does not use ${used})\n")
            endif()
        endforeach()
    endforeach()
endforeach()
if(wrong)
    message(FATAL_ERROR "Includes across the subsystems' order:\n${wrong}")
endif()
