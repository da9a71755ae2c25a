# Fails the build when the program imports a DLL that Windows does not always
# load from its own folder: the compiler's runtime libraries, or a system DLL
# that is not a known DLL (uxtheme, msimg32, version), which a copy placed
# beside the program would replace.
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "objdump could not read ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
set(allowed kernel32 user32 gdi32 advapi32 shell32 ole32 comdlg32 msvcrt comctl32)
foreach(line IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" dll)
    set(known FALSE)
    foreach(prefix IN LISTS allowed)
        if(dll STREQUAL "${prefix}.dll")
            set(known TRUE)
        endif()
    endforeach()
    if(NOT known)
        message(FATAL_ERROR "${EXE} imports ${dll}, which Windows may load from beside the program")
    endif()
endforeach()
