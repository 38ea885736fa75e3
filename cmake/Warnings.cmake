# Warnings for our own targets; PLOTWRIGHT_WERROR turns them into errors (dev preset and CI).
function(plotwright_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${PLOTWRIGHT_WERROR}>:/WX>)
    # fopen and friends are what the plug-in means to use.
    target_compile_definitions(${target} PRIVATE _CRT_SECURE_NO_WARNINGS)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
                           $<$<BOOL:${PLOTWRIGHT_WERROR}>:-Werror>)
  endif()
endfunction()
