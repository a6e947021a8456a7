# Read by CPack before it packs: the files in the zip carry the time of the
# commit they come from, not of the build, and the zip's DOS times, which are
# local, are taken in UTC, so that neither the day nor the time zone shows.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${CMAKE_CURRENT_LIST_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(time)
    set(ENV{SOURCE_DATE_EPOCH} ${time})
  endif()
endif()
set(ENV{TZ} UTC)
