# Program texts live in the tree as readable UTF-8 tables and reach the code as
# Shift_JIS (code page 932) bytes in a generated header with one X-macro per table.
#
#   vardex_texts(TARGET <lib> TABLE <file.tsv> MACRO <NAME> HEADER <name.h>)
#
# Each table line is TAB-separated; the last field is the text, the fields
# before it are passed to the X-macro unchanged. Lines starting with # are comments.
function(vardex_texts)
  cmake_parse_arguments(T "" "TARGET;TABLE;MACRO;HEADER" "" ${ARGN})
  set(table ${CMAKE_CURRENT_SOURCE_DIR}/${T_TABLE})
  set(outdir ${CMAKE_CURRENT_BINARY_DIR}/generated)
  set(sjis ${outdir}/${T_HEADER}.sjis)
  set(header ${outdir}/${T_HEADER})
  add_custom_command(
    OUTPUT ${header}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
    COMMAND iconv -f UTF-8 -t CP932 -o ${sjis} ${table}
    COMMAND textgen ${T_MACRO} ${sjis} ${header}
    DEPENDS ${table} textgen
    COMMENT "Converting ${T_TABLE} to Shift_JIS"
    VERBATIM)
  target_sources(${T_TARGET} PRIVATE ${header})
  target_include_directories(${T_TARGET} PUBLIC ${outdir})
endfunction()
