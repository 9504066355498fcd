# Warnings for the project's own targets.
function(quorvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align
                         -Wunused -Woverloaded-virtual -Wformat=2)
  if(QUORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
