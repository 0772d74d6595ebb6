# Reading the help document, and a large generated document, with the RTF reader.
tarnwick_benchmark(bench_rtf tarnwick_rtf)
target_compile_definitions(bench_rtf PRIVATE TARNWICK_HELP_FILE="${CMAKE_SOURCE_DIR}/data/Help.rtf")
