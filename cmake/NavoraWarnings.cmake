# Warnings in our own code; targets call navora_warnings() on themselves. They
# are errors only with NAVORA_WARNINGS_AS_ERRORS (the test script turns it on),
# so a user's build with another compiler never fails on a warning.
function(navora_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Woverloaded-virtual -Wformat=2)
  if(NAVORA_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
