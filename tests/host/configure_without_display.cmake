# scrivlet-host configure where no window can be made (no X display): it must
# say that no dialog could be shown, end with its own exit code and leave the
# settings file as it was, byte for byte, for a section that is there and for
# a new one. A Wine program started without DISPLAY cannot reach the display
# of the session, which a child started from a Windows program always does.
#   cmake -DEMULATOR=wine -DHOST=scrivlet-host.exe -DWORK=dir -P this file
set(no_dialog_exit_code 7)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ini ${WORK}/theme.ini)
set(original "[Plain]\r\nScrivlet_Text=CPU %v\r\nScrivlet_Font=Arial\r\n")
string(REPLACE "/" "\\" windows_ini "Z:${ini}")
foreach(section Plain Fresh)
    file(WRITE ${ini} "${original}")
    file(SHA256 ${ini} before)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                ${EMULATOR} ${HOST} configure --ini ${windows_ini} --section ${section}
        RESULT_VARIABLE exit_code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
    file(SHA256 ${ini} after)
    set(expected_line "scrivlet-host: configure: no settings dialog could be shown (is there a display?); '${windows_ini}' is unchanged")
    string(FIND "${err}" "${expected_line}" at)
    if(NOT exit_code EQUAL no_dialog_exit_code OR at EQUAL -1 OR NOT after STREQUAL before)
        message(FATAL_ERROR "[${section}] exit ${exit_code} (want ${no_dialog_exit_code})\n"
                            "stdout: ${out}\nstderr: ${err}\nfile changed: ${before} -> ${after}")
    endif()
    message(STATUS "[${section}] exit ${exit_code}, file unchanged")
endforeach()
file(REMOVE_RECURSE ${WORK})
