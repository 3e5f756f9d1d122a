# Creates Data.mdb and Log.mdb in TARGET_DIR from SCHEMA_DIR/*.sql when they
# are missing. An existing file is never touched. A file is built under a
# temporary name and renamed, so a failed run leaves no half-made database.
find_program(SQLITE3 sqlite3 REQUIRED)
foreach(name Data Log)
  set(target "${TARGET_DIR}/${name}.mdb")
  if(NOT EXISTS "${target}")
    set(partial "${target}.partial")
    file(REMOVE "${partial}")
    execute_process(COMMAND "${SQLITE3}" "${partial}"
                    INPUT_FILE "${SCHEMA_DIR}/${name}.sql"
                    RESULT_VARIABLE result OUTPUT_QUIET)
    if(NOT result EQUAL 0)
      file(REMOVE "${partial}")
      message(FATAL_ERROR "Could not create ${target}")
    endif()
    file(RENAME "${partial}" "${target}")
    message(STATUS "Created ${target}")
  endif()
endforeach()
