# Warnings for our own targets. The network's arithmetic is exact single precision:
# never add -ffast-math or similar value-changing flags here.
add_library(halcyra_warnings INTERFACE)
target_compile_options(halcyra_warnings INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra>
  $<$<COMPILE_LANGUAGE:C>:-Wall -Wextra>)

if(HALCYRA_SANITIZER STREQUAL "thread")
  add_compile_options(-fsanitize=thread -g -O1)
  add_link_options(-fsanitize=thread)
elseif(HALCYRA_SANITIZER STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1)
  add_link_options(-fsanitize=address,undefined)
endif()
