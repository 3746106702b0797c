# Run by CPack on the staged files, just before it packs them (with every file
# time set to SOURCE_DATE_EPOCH, which scripts/package takes from the
# changelog): the compiler's version notes in .comment are of no use on a
# user's machine, so the programs lose them, as dh_strip does it.
set(staging "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
file(GLOB programs "${staging}${CPACK_PACKAGING_INSTALL_PREFIX}/bin/*")
if(NOT programs)
    message(FATAL_ERROR "no programs staged in '${staging}${CPACK_PACKAGING_INSTALL_PREFIX}/bin'")
endif()
foreach(program ${programs})
    execute_process(COMMAND strip --remove-section=.comment --remove-section=.note "${program}"
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "strip failed on ${program}")
    endif()
endforeach()
