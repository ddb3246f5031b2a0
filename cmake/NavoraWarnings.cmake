# Warnings are errors in our own code; targets call navora_warnings() on themselves.
function(navora_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Woverloaded-virtual -Wformat=2 -Werror)
endfunction()
