# halcyra_embed(TARGET <static-lib> SYMBOL <name> FILE <path>)
# Embeds a binary file into a static library through the assembler's .incbin, so
# large files (the 1.1 MB measurement set) cost no compile time. The data is
# reachable as:  extern "C" const unsigned char <name>[]; extern "C" const unsigned long long <name>_size;
function(halcyra_embed)
  cmake_parse_arguments(E "" "TARGET;SYMBOL;FILE" "" ${ARGN})
  if(NOT EXISTS "${E_FILE}")
    message(FATAL_ERROR "Resource ${E_FILE} is missing; run ./setup.sh")
  endif()
  set(out "${CMAKE_CURRENT_BINARY_DIR}/embed_${E_SYMBOL}.S")
  file(WRITE "${out}"
"    .section .rodata\n\
    .global ${E_SYMBOL}\n\
    .hidden ${E_SYMBOL}\n\
    .balign 16\n\
${E_SYMBOL}:\n\
    .incbin \"${E_FILE}\"\n\
${E_SYMBOL}_end:\n\
    .global ${E_SYMBOL}_size\n\
    .hidden ${E_SYMBOL}_size\n\
    .balign 8\n\
${E_SYMBOL}_size:\n\
    .quad ${E_SYMBOL}_end - ${E_SYMBOL}\n\
    .section .note.GNU-stack,\"\",@progbits\n")
  set_source_files_properties("${out}" PROPERTIES OBJECT_DEPENDS "${E_FILE}")
  target_sources(${E_TARGET} PRIVATE "${out}")
endfunction()
